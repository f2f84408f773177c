// The process-wide start-up state.
#include "host/interface/startup_state.h"

HostStartupInfo* HostInfo = nullptr;
char* SettingsKeyPath = nullptr;
char AssocKeyPath[AssocKeyPathSize];
char* ModuleDirectory = nullptr;
HMODULE ModuleHandle = nullptr;
HMODULE DiagnosticsLibrary = nullptr;

bool AssocKeyPathUsable() { return AssocKeyPath[0] != 0; }
