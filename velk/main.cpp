// velk: a small host that loads the Tollex plug-in through its four exports
// and lets a person (terminal front end) or a script drive it, on a registry
// kept in a .reg file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <windows.h>

#include "velk/host_core.h"
#include "velk/language.h"
#include "velk/options.h"
#include "velk/plugin_hooks.h"
#include "velk/registry_io.h"
#include "velk/script.h"
#include "velk/transcript.h"

#if !defined(_WIN32)
#include "winport.h"
#endif
#if defined(VELK_HAVE_TUI)
#include "velk/tui.h"
#endif

namespace {

constexpr int ExitBadInput = 2;
constexpr int ExitScriptEnded = 3;

#if defined(_WIN32)
constexpr const char* PluginFileName = "Tollex.dll";
constexpr char PathSeparator = '\\';
#else
constexpr const char* PluginFileName = "Tollex.so";
constexpr char PathSeparator = '/';
#endif

// Where the transcript goes, so that a stop in the middle of a plug-in call
// can still close it properly.
std::ofstream* transcriptStream = nullptr;
velk::TranscriptFrontEnd* transcriptFront = nullptr;

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

bool ReadWhole(const std::string& path, std::string& content) {
  if (path == "-") {
    content.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  content = s.str();
  return true;
}

// In a batch (--batch), the number of the run in progress, from 1; 0 outside one.
int batchRun = 0;

void BatchMark(const std::string& what) {
  std::cout.flush();
  std::cerr << "velk-batch: " << what << "\n";
  std::cerr.flush();
}

// The script cannot go on: nothing is saved, the process ends here, inside
// the plug-in's call, without returning into it. In a batch this ends the
// batch too: the runs after this one are not made.
[[noreturn]] void StopRun(int status, const std::string& message) {
  std::cout.flush();
  std::cerr << "velk: " << message << "; nothing was saved\n";
  std::cerr.flush();
  if (transcriptFront) transcriptFront->Note("stopped: " + message + " (exit status " + std::to_string(status) + ")");
  if (transcriptStream) transcriptStream->close();
  if (batchRun > 0) BatchMark("end " + std::to_string(batchRun) + " exit " + std::to_string(status) + " stopped");
  std::fflush(nullptr);
  std::_Exit(status);
}

// Forgets the transcript of a run when the run ends, however it ends.
struct TranscriptReset {
  ~TranscriptReset() {
    transcriptStream = nullptr;
    transcriptFront = nullptr;
  }
};

// One velk run, as the whole command line of a process describes it.
int RunOnce(const std::vector<std::string>& args) {
  TranscriptReset transcriptReset;
  velk::DisarmRegistryWriteFault();  // an earlier run of a batch may have armed it
  velk::Options options;
  std::string error;
  if (!velk::ParseOptions(args, options, error)) {
    std::cerr << "velk: " << error << "\n" << velk::UsageText();
    return ExitBadInput;
  }
  if (options.help) {
    std::cout << velk::UsageText();
    return 0;
  }
  const bool scripted = !options.scriptFile.empty();

  std::string pluginPath = options.pluginPath.empty()
                               ? ExecutableDirectory() + PathSeparator + PluginFileName
                               : options.pluginPath;
  std::string pluginDir = DirectoryOf(pluginPath);
  std::string languagePath =
      options.languageFile.empty() ? pluginDir + PathSeparator + "TollexEng.lng" : options.languageFile;
  std::string registryPath = options.registryFile.empty() ? velk::DefaultRegistryPath() : options.registryFile;

  // Every file is read and checked before anything runs.
  velk::Language language;
  if (!language.Load(languagePath, error)) return Fail(error);

  std::vector<velk::ScriptCommand> commands;
  if (scripted) {
    std::string content;
    if (!ReadWhole(options.scriptFile, content)) return Fail("cannot read the script " + options.scriptFile);
    if (!velk::ParseScript(content, commands, error)) return Fail(options.scriptFile + ": " + error);
  }

  std::unique_ptr<velk::FrontEnd> front;
  int columns = options.columns;
  if (scripted) {
    if (columns == 0) columns = 80;
    front = std::make_unique<velk::ScriptFrontEnd>(std::move(commands), &StopRun);
  } else {
#if defined(VELK_HAVE_TUI)
    velk::TerminalOptions terminal;
    terminal.helpFile = pluginDir + PathSeparator + "Tollex.hlp";
    terminal.columns = columns;
#if !defined(_WIN32)
    if (columns == 0) terminal.onResize = [](int c) { WinportSetConsoleWidth(c); };
#endif
    front = velk::MakeTerminalFrontEnd(terminal);
    if (!front) return Fail("standard input and output are not a terminal; give a script with --script");
    if (columns == 0) columns = velk::TerminalColumns();
#else
    return Fail("interactive front end not built; give a script with --script");
#endif
  }

  std::ofstream transcriptFile;
  std::unique_ptr<velk::TranscriptFrontEnd> transcript;
  if (!options.transcriptFile.empty()) {
    transcriptFile.open(options.transcriptFile, std::ios::binary | std::ios::trunc);
    if (!transcriptFile) return Fail("cannot write the transcript " + options.transcriptFile);
    transcript = std::make_unique<velk::TranscriptFrontEnd>(*front, transcriptFile);
    transcriptStream = &transcriptFile;
    transcriptFront = transcript.get();
  }

  bool sampleUsed = false;
  if (!velk::LoadRegistry(registryPath, sampleUsed, error)) return Fail(error);

  velk::PluginModule plugin;
  if (!plugin.Load(pluginPath, error)) return Fail(error);
  if (!velk::SetPluginConsoleWidth(plugin.Handle(), columns, error)) return Fail(error);

  velk::HostCore core(language, velk::VersionWord(options.hostMajor, options.hostMinor, options.hostBuild));
  if (options.failRegistryWrite > 0 &&
      !velk::ArmRegistryWriteFault(plugin.Handle(), options.failRegistryWrite, error))
    return Fail(error);

  velk::FrontEnd& shown = transcript ? static_cast<velk::FrontEnd&>(*transcript) : *front;
  std::function<void(const std::string&)> note;
  if (transcript) note = [&](const std::string& line) { transcript->Note(line); };
  if (transcript && sampleUsed) transcript->Note("registry: the built-in sample table");
  velk::RunHostLoop(plugin, core, shown, note);

  transcript.reset();
  front.reset();  // gives the terminal back before anything is printed
  transcriptFront = nullptr;
  plugin.Unload();
  if (core.ForeignIdCalls() > 0)
    std::cerr << "velk: warning: " << core.ForeignIdCalls() << " service calls came with a wrong plug-in id\n";
  if (!velk::SaveRegistry(registryPath, error)) return Fail(error);
  if (transcriptFile.is_open()) {
    transcriptFile.close();
    if (!transcriptFile) return Fail("cannot write the transcript " + options.transcriptFile);
  }
  transcriptStream = nullptr;
  return 0;
}

// --batch FILE: several runs in one process, one a line: the directory to
// run in, then velk's arguments, separated by tabs. Blank lines and lines
// starting with # are skipped. Every run loads the plug-in afresh; its
// beginning and its exit status are marked on the standard error stream.
// The batch's own status is 0 once every run was made, whatever their
// statuses.
int RunBatch(const std::string& path) {
  std::string content;
  if (!ReadWhole(path, content)) return Fail("cannot read the batch " + path);
  std::vector<std::pair<std::string, std::vector<std::string>>> runs;
  std::istringstream lines(content);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (fields[0].empty()) return Fail(path + ": line " + std::to_string(number) + ": no directory to run in");
    for (const std::string& f : fields) {
      if (f == "--batch") return Fail(path + ": line " + std::to_string(number) + ": a batch cannot hold a batch");
    }
    std::string directory = fields[0];
    fields.erase(fields.begin());
    runs.emplace_back(directory, fields);
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    batchRun = static_cast<int>(i + 1);
    BatchMark("begin " + std::to_string(batchRun));
    int status;
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::u8path(runs[i].first), ec);
    if (ec) {
      status = Fail("cannot change to the directory " + runs[i].first + ": " + ec.message());
    } else {
      status = RunOnce(runs[i].second);
    }
    BatchMark("end " + std::to_string(batchRun) + " exit " + std::to_string(status));
  }
  batchRun = 0;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--batch") {
    if (args.size() != 2) {
      std::cerr << "velk: --batch takes one file and nothing else\n" << velk::UsageText();
      return ExitBadInput;
    }
    return RunBatch(args[1]);
  }
  return RunOnce(args);
}
