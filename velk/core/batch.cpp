#include "core/batch.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

namespace velk {
namespace {

int batchRun = 0;

int Fail(const std::string& message) {
  std::cerr << "velk: " << message << "\n";
  return 2;
}

using Run = std::pair<std::string, std::vector<std::string>>;

std::vector<std::string> TabFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// The runs of a batch file; false with error naming the bad line.
bool ParseBatch(const std::string& content, std::vector<Run>& runs, std::string& error) {
  std::istringstream lines(content);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = TabFields(line);
    const std::string where = "line " + std::to_string(number) + ": ";
    if (fields[0].empty()) {
      error = where + "no directory to run in";
      return false;
    }
    for (const std::string& f : fields) {
      if (f != "--batch") continue;
      error = where + "a batch cannot hold a batch";
      return false;
    }
    std::string directory = fields[0];
    fields.erase(fields.begin());
    runs.emplace_back(directory, fields);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& content) {
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

int CurrentBatchRun() { return batchRun; }

void BatchMark(const std::string& what) {
  std::cout.flush();
  std::cerr << "velk-batch: " << what << "\n";
  std::cerr.flush();
}

int RunBatch(const std::string& path, const RunFunction& run) {
  std::string content, error;
  if (!ReadWholeFile(path, content)) return Fail("cannot read the batch " + path);
  std::vector<Run> runs;
  if (!ParseBatch(content, runs, error)) return Fail(path + ": " + error);
  for (size_t i = 0; i < runs.size(); ++i) {
    batchRun = static_cast<int>(i + 1);
    BatchMark("begin " + std::to_string(batchRun));
    int status;
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::u8path(runs[i].first), ec);
    if (ec) {
      status = Fail("cannot change to the directory " + runs[i].first + ": " + ec.message());
    } else {
      status = run(runs[i].second);
    }
    BatchMark("end " + std::to_string(batchRun) + " exit " + std::to_string(status));
  }
  batchRun = 0;
  return 0;
}

}  // namespace velk
