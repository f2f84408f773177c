// velk: a small host that loads the Tollex plug-in through its four exports
// and lets a person (terminal front end) or a script drive it, on a registry
// kept in a .reg file. One run: read the command line and every file, check
// that the registry file can be written and take it for the run, set up the
// front end and the transcript, load the registry and the plug-in, run the
// host's loop (the registry file written whenever the plug-in hands control
// back with something new stored), write what the file still lacks. A test
// switch ends the run right after a given registry write of the plug-in
// instead.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "core/batch.h"
#include "core/host_core.h"
#include "core/language.h"
#include "core/options.h"
#include "core/plugin_hooks.h"
#include "core/plugin_module.h"
#include "core/registry_store.h"
#include "core/saving_front_end.h"
#include "core/shutdown.h"
#include "core/transcript.h"
#include "core/velk_branch.h"
#include "script/script_front_end.h"

#if !defined(_WIN32)
#include "winport.h"
#endif
#if defined(VELK_HAVE_TUI)
#include "tui/tui.h"
#endif

namespace {

constexpr int ExitBadInput = 2;

#if defined(_WIN32)
constexpr const char* PluginFileName = "Tollex.dll";
constexpr char PathSeparator = '\\';
#else
constexpr const char* PluginFileName = "Tollex.so";
constexpr char PathSeparator = '/';
#endif

// Where the transcript goes and the registry file of the run, so that a
// stop in the middle of a plug-in call can still close the one and say what
// the other holds.
std::ofstream* transcriptStream = nullptr;
velk::TranscriptFrontEnd* transcriptFront = nullptr;
velk::RegistryStore* registryFile = nullptr;

int Fail(const std::string& message) {
  std::cerr << "velk: " << message << "\n";
  return ExitBadInput;
}

std::string DirectoryOf(const std::string& path) {
  size_t cut = path.find_last_of(PathSeparator == '\\' ? "\\/" : "/");
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

std::string ExecutableDirectory() {
  char name[4096] = {0};
  DWORD n = GetModuleFileNameA(nullptr, name, sizeof name - 1);
  if (n == 0 || n >= sizeof name - 1) return ".";
  return DirectoryOf(std::string(name, n));
}

// Ends the process in the middle of a run, inside the plug-in's call,
// without returning into it: the terminal given back, message on the
// standard error stream, `note` as the transcript's last line, the
// transcript closed. velk writes nothing more to the registry file. In a
// batch this ends the batch too: the runs after this one are not made.
[[noreturn]] void EndProcess(int status, const std::string& message, const std::string& note) {
  velk::RestoreTerminal();
  if (registryFile) registryFile->Unlock();
  std::cout.flush();
  std::cerr << "velk: " << message << "\n";
  std::cerr.flush();
  if (transcriptFront) transcriptFront->Note(note + " (exit status " + std::to_string(status) + ")");
  if (transcriptStream) transcriptStream->close();
  const int run = velk::CurrentBatchRun();
  if (run > 0) velk::BatchMark("end " + std::to_string(run) + " exit " + std::to_string(status) + " stopped");
  std::fflush(nullptr);
  std::_Exit(status);
}

// What the registry file holds when velk ends in the middle of a run.
std::string RegistryFileState() {
  if (!registryFile || !registryFile->Loaded()) return "the registry file was not touched";
  if (registryFile->ChangedBehind()) return "the registry file changed on disk, and velk left it as it is";
  if (registryFile->InStep()) return "the registry file holds what the plug-in stored";
  return "the registry file lacks what the plug-in stored since its last write";
}

// The script cannot go on (status 2 or 3).
[[noreturn]] void StopRun(int status, const std::string& message) {
  EndProcess(status, message + "; " + RegistryFileState(), "stopped: " + message);
}

std::string SignalName(int sig) {
  switch (sig) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
#if !defined(_WIN32)
    case SIGHUP: return "SIGHUP";
    case SIGQUIT: return "SIGQUIT";
#endif
    default: return "signal " + std::to_string(sig);
  }
}

// An end in the middle of a run that keeps what the plug-in stored: the
// registry file gets what it lacks (never over a file changed on disk).
// Returns what the file then holds, for the message.
std::string SaveBeforeEnding() {
  std::string reason;
  if (registryFile && registryFile->SaveIfChanged(reason) == velk::RegistryStore::Outcome::Failed)
    return velk::CannotWrite(registryFile->Path(), reason) + "; " + RegistryFileState();
  return RegistryFileState();
}

// A termination signal, or a quit the user confirmed with Ctrl+C inside the
// plug-in's screens, at a safe point: the registry file gets what the
// plug-in stored (it normally has it already), then velk ends.
[[noreturn]] void EndOnSignal(int sig) {
  const std::string state = SaveBeforeEnding();
  if (velk::QuitConfirmed()) {
    EndProcess(velk::TerminationStatus(sig),
               "quit with Ctrl+C inside the plug-in: what it had not applied is lost; " + state,
               "stopped: Ctrl+C, quit confirmed");
  }
  EndProcess(velk::TerminationStatus(sig), "ended by " + SignalName(sig) + "; " + state, "stopped: " + SignalName(sig));
}

// The user chose to quit without saving after a failed write (of
// registryFile: the saving front end that asks is made after it is set).
[[noreturn]] void QuitWithoutSaving(const std::string& reason) {
  EndProcess(velk::ExitQuitWithoutSaving, velk::CannotWrite(registryFile->Path(), reason) + "; quit without saving",
             "quit without saving");
}

// --end-after-registry-write: the plug-in's picked registry call has
// returned. The registry file gets the registry as it stands, as a real
// registry keeps whatever was written when its process dies, and velk ends
// at once, inside the plug-in's call: nothing of the plug-in's runs again.
int endAfterWriteCount = 0;
[[noreturn]] void EndAfterRegistryWrite() {
  const std::string what = "ended after the plug-in's registry write " + std::to_string(endAfterWriteCount);
  const std::string state = SaveBeforeEnding();
  EndProcess(velk::ExitEndedAfterRegistryWrite, what + "; " + state, what);
}

// One velk run, as the whole command line of a process describes it.
class Run {
 public:
  ~Run() {
    // Forget the transcript and the registry file of the run when it ends,
    // however it ends.
    transcriptStream = nullptr;
    transcriptFront = nullptr;
    registryFile = nullptr;
    velk::SetTerminationHandler(nullptr);
  }
  int Main(const std::vector<std::string>& args);

 private:
  bool ReadFiles(std::string& error);
  int MakeFrontEnd();
  bool OpenTranscript(std::string& error);
  int RunPlugin();
  int Finish();

  velk::Options options;
  std::string pluginPath, languagePath;
  std::unique_ptr<velk::RegistryStore> registry;
  velk::Language language;
  std::vector<velk::ScriptCommand> commands;
  int columns = 0;
  std::unique_ptr<velk::FrontEnd> front;
  std::ofstream transcriptFile;
  std::unique_ptr<velk::TranscriptFrontEnd> transcript;
  velk::PluginModule plugin;
  std::unique_ptr<velk::HostCore> core;  // lives until the plug-in is unloaded
  std::unique_ptr<velk::SavingFrontEnd> saving;
};

int Run::Main(const std::vector<std::string>& args) {
  velk::DisarmRegistryWriteFault();  // an earlier run of a batch may have armed it
  std::string error;
  if (!velk::ParseOptions(args, options, error)) {
    std::cerr << "velk: " << error << "\n" << velk::UsageText();
    return ExitBadInput;
  }
  if (options.help) {
    std::cout << velk::UsageText();
    return 0;
  }
  // Every file is read and checked before anything runs, and the registry
  // file must be one velk can write: a run whose work cannot be kept is
  // refused before it starts.
  if (!ReadFiles(error)) return Fail(error);
  if (!registry->CheckWritable(error)) return Fail(error);
  if (!registry->Lock(error)) return Fail(error);                  // one velk per registry file
  if (!velk::FailSavesFromEnvironment(error)) return Fail(error);  // the test hook
  registryFile = registry.get();
  velk::SetTerminationHandler(&EndOnSignal);
  if (int status = MakeFrontEnd()) return status;
  if (!OpenTranscript(error)) return Fail(error);
  if (int status = RunPlugin()) return status;
  return Finish();
}

bool Run::ReadFiles(std::string& error) {
  pluginPath = options.pluginPath.empty() ? ExecutableDirectory() + PathSeparator + PluginFileName : options.pluginPath;
  languagePath = options.languageFile.empty() ? DirectoryOf(pluginPath) + PathSeparator + "TollexEng.lng"
                                              : options.languageFile;
  registry = std::make_unique<velk::RegistryStore>(options.registryFile.empty() ? velk::DefaultRegistryPath()
                                                                                : options.registryFile);
  if (!language.Load(languagePath, error)) return false;
  if (options.scriptFile.empty()) return true;
  std::string content;
  if (!velk::ReadWholeFile(options.scriptFile, content)) {
    error = "cannot read the script " + options.scriptFile;
    return false;
  }
  if (velk::ParseScript(content, commands, error)) return true;
  error = options.scriptFile + ": " + error;
  return false;
}

int Run::MakeFrontEnd() {
  columns = options.columns;
  if (!options.scriptFile.empty()) {
    if (columns == 0) columns = 80;
    front = std::make_unique<velk::ScriptFrontEnd>(std::move(commands), &StopRun);
    return 0;
  }
#if defined(VELK_HAVE_TUI)
  velk::TerminalOptions terminal;
  terminal.helpFile = DirectoryOf(pluginPath) + PathSeparator + "Tollex.hlp";
  terminal.columns = columns;
#if !defined(_WIN32)
  if (columns == 0) terminal.onResize = [](int c) { WinportSetConsoleWidth(c); };
#endif
  std::string unusable;
  front = velk::MakeTerminalFrontEnd(terminal, unusable);
  if (!front) return Fail(unusable);
  if (columns == 0) columns = velk::TerminalColumns();
  return 0;
#else
  return Fail("interactive front end not built; give a script with --script");
#endif
}

bool Run::OpenTranscript(std::string& error) {
  if (options.transcriptFile.empty()) return true;
  transcriptFile.open(options.transcriptFile, std::ios::binary | std::ios::trunc);
  if (!transcriptFile) {
    error = "cannot write the transcript " + options.transcriptFile;
    return false;
  }
  transcript = std::make_unique<velk::TranscriptFrontEnd>(*front, transcriptFile);
  transcriptStream = &transcriptFile;
  transcriptFront = transcript.get();
  return true;
}

int Run::RunPlugin() {
  std::string error;
  bool sampleUsed = false;
  // A termination signal ends a long load at once: nothing was written yet,
  // and nothing will be.
  if (!registry->Load(sampleUsed, error, [] { return velk::TerminationSignal() != 0; })) {
    velk::StopIfTerminated();
    return Fail(error);
  }
  if (!plugin.Load(pluginPath, error)) return Fail(error);
  if (!velk::SetPluginConsoleWidth(plugin.Handle(), columns, error)) return Fail(error);
  core = std::make_unique<velk::HostCore>(language,
                                          velk::VersionWord(options.hostMajor, options.hostMinor, options.hostBuild));
  if (options.failRegistryWrite > 0 && !velk::ArmRegistryWriteFault(plugin.Handle(), options.failRegistryWrite, error))
    return Fail(error);
  endAfterWriteCount = options.endAfterRegistryWrite;
  if (options.endAfterRegistryWrite > 0 &&
      !velk::ArmRegistryWriteEnd(plugin.Handle(), options.endAfterRegistryWrite, &EndAfterRegistryWrite, error))
    return Fail(error);
  velk::FrontEnd& shown = transcript ? static_cast<velk::FrontEnd&>(*transcript) : *front;
  std::function<void(const std::string&)> note;
  if (transcript) note = [this](const std::string& line) { transcript->Note(line); };
  if (transcript && sampleUsed) transcript->Note("registry: the built-in sample table");
  saving = std::make_unique<velk::SavingFrontEnd>(shown, *registry, note, &QuitWithoutSaving);
  velk::RunHostLoop(plugin, *core, *saving, note);
  return 0;
}

int Run::Finish() {
  plugin.Unload();
  // What the plug-in stored last reaches the file (when the file lacks it;
  // a file that did not exist gets the sample velk started from); a failure
  // is still shown on the screen, where the user can retry.
  registry->WantFile();
  saving->Sync();
  saving.reset();
  transcript.reset();
  front.reset();  // gives the terminal back before anything is printed
  transcriptFront = nullptr;
  if (core->ForeignIdCalls() > 0)
    std::cerr << "velk: warning: " << core->ForeignIdCalls() << " service calls came with a wrong plug-in id\n";
  if (transcriptFile.is_open()) {
    transcriptFile.close();
    if (!transcriptFile) return Fail("cannot write the transcript " + options.transcriptFile);
  }
  return 0;
}

int RunOnce(const std::vector<std::string>& args) { return Run().Main(args); }

}  // namespace

int main(int argc, char** argv) {
  // Before any terminal is taken over: the terminal library leaves handlers
  // that are already there alone.
  velk::CatchTerminationSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--batch") {
    if (args.size() != 2) {
      std::cerr << "velk: --batch takes one file and nothing else\n" << velk::UsageText();
      return ExitBadInput;
    }
    return velk::RunBatch(args[1], &RunOnce);
  }
  return RunOnce(args);
}
