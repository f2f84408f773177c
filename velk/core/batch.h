// --batch FILE: several velk runs in one process, one a line: the directory
// to run in, then velk's arguments, separated by tabs. Blank lines and lines
// starting with # are skipped. Every run's beginning and its exit status are
// marked on the standard error stream ("velk-batch: begin N", "velk-batch:
// end N exit S"). The batch's own status is 0 once every run was made,
// whatever their statuses.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velk {

using RunFunction = std::function<int(const std::vector<std::string>& args)>;

// Reads the batch file and makes every run with `run`; 2 (with a message)
// for a batch file that cannot be read or holds a bad line.
int RunBatch(const std::string& path, const RunFunction& run);

// The number of the run in progress, from 1; 0 outside a batch.
int CurrentBatchRun();
// Writes "velk-batch: WHAT" to the standard error stream, after flushing
// standard output, so that both streams stay in order.
void BatchMark(const std::string& what);

// The whole of a file, or of the standard input for "-"; false when it
// cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace velk
