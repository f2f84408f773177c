// Error texts and the module's one fatal stop.
#include "support/errors.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "host/base/exit_hook.h"

namespace {

const char UnknownError[] = "Unknown error";

constexpr uint32_t FirstModuleCode = 20000;

// The module's own error codes, from 20000 on.
const char* const ModuleErrorTexts[] = {
    "",
    "Bad DB cursor.",
    "Error in DB fetch.",
    "DB move out put bounds.",
    "Already closed.",
    "Operation on already closed pipe.",
    "Error transfer data.",
    "Broken data in structured header.",
    "Bad ID magic value.",
    "Out of bounds.",
    "Server side error.",
    "Unknown server side error.",
    "Value out of possible range.",
    "Data block contains unexpected data.",
};
constexpr uint32_t ModuleErrorCount = sizeof ModuleErrorTexts / sizeof ModuleErrorTexts[0];

// The last text the system gave; allocated by the system, owned here.
char* systemTextCache = nullptr;

// Writes to the standard error stream. On Windows through the system's own
// formatter (msvcrt's vfprintf), like FormatBounded: the C++ headers would
// route the standard name to mingw's own printf and its floating-point
// conversion.
void WriteError(const char* format, va_list arguments) {
#ifdef _WIN32
  __ms_vfprintf(stderr, format, arguments);
#else
  std::vfprintf(stderr, format, arguments);
#endif
}

}  // namespace

const char* SystemErrorText(uint32_t code) {
  if (systemTextCache != nullptr) {
    LocalFree(systemTextCache);
    systemTextCache = nullptr;
  }
  // Inserts are left as they stand: with no arguments to fill them, a text
  // with placeholders such as %1 would otherwise make the system read
  // arguments that were never passed.
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<LPSTR>(&systemTextCache), 0, nullptr);
  if (n == 0 || systemTextCache == nullptr) {
    if (systemTextCache != nullptr) LocalFree(systemTextCache);
    systemTextCache = nullptr;
    return UnknownError;
  }
  CharToOemA(systemTextCache, systemTextCache);
  return systemTextCache;
}

const char* ErrorText(uint32_t code) {
  if (code == 0xFFFFFFFFu) code = GetLastError();
  if (code < FirstModuleCode) return SystemErrorText(code);
  if (code - FirstModuleCode < ModuleErrorCount) return ModuleErrorTexts[code - FirstModuleCode];
  return UnknownError;
}

void FatalStop(const char* format, ...) {
  // The error that led here, kept across the clean-up, which may make system
  // calls of its own.
  DWORD lastError = GetLastError();
  RunExitHook();
  if (format != nullptr) {
    std::fputs("\nABORT: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    WriteError(format, arguments);
    va_end(arguments);
    SetLastError(lastError);
    if (GetLastError() != 0) {
      std::fputs("\nStdError: ", stderr);
      std::fputs(ErrorText(0xFFFFFFFFu), stderr);
    }
  }
  std::exit(1);
}
