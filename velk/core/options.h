// velk's command line.
#pragma once

#include <string>
#include <vector>

namespace velk {

struct Options {
  std::string registryFile;  // empty: DefaultRegistryPath()
  std::string scriptFile;    // empty: interactive; "-": standard input
  std::string transcriptFile;
  int columns = 0;  // 0: the terminal's, or 80 when scripted
  int hostMajor = 1, hostMinor = 70, hostBuild = 2000;
  std::string pluginPath;         // empty: the plug-in beside velk
  std::string languageFile;       // empty: TollexEng.lng beside the plug-in
  int failRegistryWrite = 0;      // 0: no fault
  int endAfterRegistryWrite = 0;  // 0: no end
  bool help = false;
};

// Parses argv[1..]; false with a message for bad arguments.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
const char* UsageText();

}  // namespace velk
