// A plain timing harness with the measurements of the Google Benchmark
// target, for builds that have no Google Benchmark (the 64-bit Windows build
// run under Wine, against the real registry). Each figure is timed in
// rounds: a round repeats the workload until it has run for at least the
// given time, and the median of the rounds' per-run times is printed.
// Figures and floors are timed in alternation, round by round, so that a
// change of machine load strikes both alike.
//
//   tollex_bench_harness [--rounds N] [--min-ms MS] [--sizes 100,1000] [--pass]
//                        [--pass-sizes 100,1000,10000]
//
// Output: one line per figure, "name/size  median_us  min_us  runs", then
// the ratios to the floors.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/assoc_list.h"
#include "storage/assoc_store.h"
#include "storage/table_journal.h"
#include "ui/list_screen.h"
#include "ui/menu_line_list.h"
#include "ui/session.h"
#include "workload.h"

namespace {

constexpr const char* StoreRoot = "Software\\TollexBench";
constexpr int HeaderEvery = 25;

using Clock = std::chrono::steady_clock;

struct Figure {
  Figure(std::string figureName, std::function<bool()> workload)
      : name(std::move(figureName)), run(std::move(workload)) {}
  std::string name;
  std::function<bool()> run;  // false: the workload failed
  std::vector<double> perRunUs;
  long runs = 0;
  bool failed = false;
};

// One round: repeats run() until minMs have passed; returns microseconds per run.
double Round(Figure& figure, double minMs) {
  long count = 0;
  const auto start = Clock::now();
  double elapsedMs = 0;
  do {
    if (!figure.run()) {
      figure.failed = true;
      return 0;
    }
    ++count;
    elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  } while (elapsedMs < minMs);
  figure.runs += count;
  return elapsedMs * 1000.0 / static_cast<double>(count);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times a group of figures in alternation.
void TimeGroup(std::vector<Figure*> group, int rounds, double minMs) {
  for (Figure* figure : group) Round(*figure, minMs / 4);  // warm-up, not counted
  for (Figure* figure : group) figure->runs = 0;
  for (int r = 0; r < rounds; ++r) {
    for (Figure* figure : group) {
      if (figure->failed) continue;
      figure->perRunUs.push_back(Round(*figure, minMs));
    }
  }
  for (Figure* figure : group) {
    if (figure->failed) {
      std::printf("%-24s FAILED\n", figure->name.c_str());
    } else {
      std::printf("%-24s %12.1f %12.1f %8ld\n", figure->name.c_str(), Median(figure->perRunUs),
                  *std::min_element(figure->perRunUs.begin(), figure->perRunUs.end()), figure->runs);
    }
    std::fflush(stdout);
  }
}

double MedianOf(const Figure& figure) { return figure.failed ? 0 : Median(figure.perRunUs); }

struct Options {
  int rounds = 5;
  double minMs = 200;
  std::vector<int> sizes = {100, 1000};
  bool pass = false;
  std::vector<int> passSizes = {100, 1000, 10000};
};

std::vector<int> ParseSizes(char* list) {
  std::vector<int> sizes;
  for (char* p = std::strtok(list, ","); p; p = std::strtok(nullptr, ",")) sizes.push_back(std::atoi(p));
  return sizes;
}

// False on an argument the harness does not know.
bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const bool valueFollows = i + 1 < argc;
    if (!std::strcmp(argv[i], "--rounds") && valueFollows) {
      options.rounds = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--min-ms") && valueFollows) {
      options.minMs = std::atof(argv[++i]);
    } else if (!std::strcmp(argv[i], "--sizes") && valueFollows) {
      options.sizes = ParseSizes(argv[++i]);
    } else if (!std::strcmp(argv[i], "--pass")) {
      options.pass = true;
    } else if (!std::strcmp(argv[i], "--pass-sizes") && valueFollows) {
      options.passSizes = ParseSizes(argv[++i]);
    } else {
      return false;
    }
  }
  return true;
}

struct Ratio {
  std::string name;
  double figure, floor;
};

// Load and save of each table size against their bare floors. Returns the
// exit status: 1 when a check or a workload failed.
int TimeStore(const Options& options, std::vector<Ratio>& ratios) {
  int status = 0;
  for (int n : options.sizes) {
    AssocList table;
    bench::FillTable(table, n, HeaderEvery);
    const std::string suffix = "/" + std::to_string(n);

    std::string problem = bench::CheckStoreFloor(table, StoreRoot);
    if (!problem.empty()) {
      std::printf("check of the floor for %d entries failed: %s\n", n, problem.c_str());
      status = 1;
      continue;
    }
    bench::BarePlan plan(table);
    const uint32_t expected = static_cast<uint32_t>(n);
    Figure load{"Load" + suffix, [expected] {
                  AssocList list;
                  return LoadAssociations(list) && list.Count() == expected;
                }};
    Figure loadFloor{"LoadFloor" + suffix, [&plan, n] { return plan.Load() == n * 8; }};
    TimeGroup({&load, &loadFloor}, options.rounds, options.minMs);
    ratios.push_back({"Load" + suffix, MedianOf(load), MedianOf(loadFloor)});

    Figure save{"Save" + suffix, [&table] { return SaveAssociations(table); }};
    Figure saveFloor{"SaveFloor" + suffix, [&plan] { return plan.Save(); }};
    Figure journaled{"SaveJournaled" + suffix, [&table] { return ApplyTable(table); }};
    TimeGroup({&save, &saveFloor, &journaled}, options.rounds, options.minMs);
    ratios.push_back({"Save" + suffix, MedianOf(save), MedianOf(saveFloor)});
    ratios.push_back({"SaveJournaled" + suffix, MedianOf(journaled), MedianOf(saveFloor)});
    ratios.push_back({"SaveJournaled/Save" + suffix, MedianOf(journaled), MedianOf(save)});
    if (load.failed || loadFloor.failed || save.failed || saveFloor.failed || journaled.failed) status = 1;
  }
  bench::RemoveStoreRoot(StoreRoot);
  return status;
}

// The lines one pass of the plug-in hands to the host, which the reference
// pass must build byte for byte. Empty when they differ.
std::vector<HostMenuItem> CheckedPassLines(AssocList& table) {
  bench::InstallLeanHost();
  bench::UseScreenSettings();
  bench::captureNextMenu = true;
  RunListScreen(table);
  const std::vector<HostMenuItem> lines = bench::captured;
  MenuLineList leanLines;
  bench::LeanPass(table, leanLines);
  if (static_cast<size_t>(leanLines.Count()) != lines.size() ||
      std::memcmp(leanLines.Items(), lines.data(), lines.size() * sizeof(HostMenuItem)) != 0) {
    return {};
  }
  return lines;
}

// The list pass, the reference pass and the line list's exact growth, each
// against the floor of copying the pass's bytes. Returns the exit status.
int TimePass(const Options& options, std::vector<Ratio>& ratios) {
  int status = 0;
  for (int n : options.pass ? options.passSizes : std::vector<int>()) {
    AssocList table;
    bench::FillTable(table, n, HeaderEvery);
    const std::string suffix = "/" + std::to_string(n);
    const std::vector<HostMenuItem> lines = CheckedPassLines(table);
    if (lines.empty()) {
      std::printf("the reference pass builds other lines than the plug-in for %d entries\n", n);
      status = 1;
      continue;
    }
    MenuLineList leanLines;
    Figure screen{"ListPass" + suffix, [&table] {
                    RunListScreen(table);
                    return true;
                  }};
    Figure lean{"LeanPass" + suffix, [&table, &leanLines] {
                  bench::LeanPass(table, leanLines);
                  return true;
                }};
    Figure appends{"MenuLineAppends" + suffix, [&lines] {
                     MenuLineList grown;
                     for (const HostMenuItem& line : lines) grown.Append(line);
                     return grown.Count() == static_cast<int32_t>(lines.size());
                   }};
    Figure screenFloor{"ListPassFloor" + suffix, [&lines] {
                         bench::CopyPassBytes(lines);
                         return true;
                       }};
    TimeGroup({&screen, &lean, &appends, &screenFloor}, options.rounds, options.minMs);
    ratios.push_back({"ListPass" + suffix, MedianOf(screen), MedianOf(screenFloor)});
    ratios.push_back({"LeanPass" + suffix, MedianOf(lean), MedianOf(screenFloor)});
    ratios.push_back({"MenuLineAppends" + suffix, MedianOf(appends), MedianOf(screenFloor)});
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: %s [--rounds N] [--min-ms MS] [--sizes 100,1000] [--pass] [--pass-sizes 100,1000,10000]\n",
                 argv[0]);
    return 2;
  }
  std::printf("%-24s %12s %12s %8s\n", "figure", "median_us", "min_us", "runs");
  std::vector<Ratio> ratios;
  const int storeStatus = TimeStore(options, ratios);
  const int passStatus = TimePass(options, ratios);

  std::printf("\n%-24s %8s\n", "ratio to floor", "x");
  for (const Ratio& r : ratios) {
    if (r.floor > 0) std::printf("%-24s %8.2f\n", r.name.c_str(), r.figure / r.floor);
  }
  return storeStatus | passStatus;
}
