// Google Benchmark figures of the list screen, the sort and the association
// store, each next to its floor measured in the same run. tools/bench.sh
// builds this and prints the ratios and the growth with table size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/assoc_list.h"
#include "storage/assoc_store.h"
#include "storage/table_journal.h"
#include "ui/list_screen.h"
#include "ui/menu_line_list.h"
#include "ui/session.h"
#include "workload.h"

namespace {

constexpr int HeaderEvery = 25;  // one group header per 25 entries
constexpr const char* StoreRoot = "Software\\TollexBench";

// One table per size, built once.
AssocList& Table(int n, int headerEvery = HeaderEvery) {
  static std::vector<std::pair<std::pair<int, int>, std::unique_ptr<AssocList>>> tables;
  for (auto& entry : tables) {
    if (entry.first == std::make_pair(n, headerEvery)) return *entry.second;
  }
  tables.emplace_back(std::make_pair(n, headerEvery), std::make_unique<AssocList>());
  bench::FillTable(*tables.back().second, n, headerEvery);
  return *tables.back().second;
}

void SetCounters(benchmark::State& state, int n) {
  state.counters["entries"] = n;
  state.SetItemsProcessed(state.iterations() * n);
}

// The table of n entries, with the lean host and the screen settings that
// every list-screen benchmark runs with.
AssocList& ScreenTable(int n) {
  AssocList& list = Table(n);
  bench::InstallLeanHost();
  bench::UseScreenSettings();
  return list;
}

// ScreenTable after one real pass whose lines, as handed to the host, are
// kept in bench::captured: what the floor and the reference pass compare with.
AssocList& CapturedPass(int n) {
  AssocList& list = ScreenTable(n);
  bench::captureNextMenu = true;
  RunListScreen(list);
  return list;
}

// One list-screen pass: RunListScreen with a menu that answers Esc at once
// builds widths, lines, header bars, marks and title once and returns.
void BM_ListPass(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  AssocList& list = ScreenTable(n);
  ChangedFlag = 0;
  const int callsBefore = bench::menuCalls;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RunListScreen(list));
  }
  if (bench::menuCalls - callsBefore != static_cast<int>(state.iterations())) {
    state.SkipWithError("the screen did not make exactly one menu call per run");
  }
  SetCounters(state, n);
}

// Its floor: the same lines (taken from a real pass) copied into a block
// allocated at its final size.
void BM_ListPassFloor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CapturedPass(n);
  const std::vector<HostMenuItem> lines = bench::captured;
  if (lines.size() != static_cast<size_t>(n) + 1) {
    state.SkipWithError("the captured pass does not hold one line per entry and the trailing line");
    return;
  }
  for (auto _ : state) {
    bench::CopyPassBytes(lines);
    benchmark::ClobberMemory();
  }
  SetCounters(state, n);
}

// The reference pass of the same rules with byte copies for formatting; it
// must hand the host exactly the lines the plug-in's pass does.
void BM_LeanPass(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  AssocList& list = CapturedPass(n);
  MenuLineList lines;
  bench::LeanPass(list, lines);
  if (static_cast<size_t>(lines.Count()) != bench::captured.size() ||
      std::memcmp(lines.Items(), bench::captured.data(), bench::captured.size() * sizeof(HostMenuItem)) != 0) {
    state.SkipWithError("the reference pass builds other lines than the plug-in");
    return;
  }
  for (auto _ : state) {
    bench::LeanPass(list, lines);
    benchmark::DoNotOptimize(lines.Items());
  }
  SetCounters(state, n);
}

// The first step of every pass alone: the four lengths of every record,
// which lie 268 bytes apart in records of 2,152 bytes. Shows what reading a
// table of fixed-size records costs as it outgrows the caches.
void BM_WidthScan(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  AssocList& list = Table(n);
  for (auto _ : state) {
    int32_t widths[1 + CommandColumnCount] = {};
    for (uint32_t i = 0; i < list.Count(); ++i) {
      const AssocRecord* r = list.At(i);
      widths[0] = std::max(widths[0], r->Description.Length());
      for (int c = 0; c < CommandColumnCount; ++c) {
        widths[1 + c] = std::max(widths[1 + c], (r->*CommandColumns[c].field).Length());
      }
    }
    benchmark::DoNotOptimize(widths);
  }
  SetCounters(state, n);
}

// The part of a pass that the line list's exact growth costs: n + 1 appends
// of one line each, then the release, as the pass does them.
void BM_MenuLineAppends(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  HostMenuItem line;
  std::memset(&line, 0, sizeof line);
  std::strcpy(line.text, "Files view text  \xB3run -x %s  \xB3*.a1,*.B1");
  for (auto _ : state) {
    MenuLineList lines;
    for (int i = 0; i <= n; ++i) {
      line.userData = i;
      benchmark::DoNotOptimize(lines.Append(line));
    }
    lines.Clear();
  }
  SetCounters(state, n);
}

// SortGroups after restoring the unsorted order; the restore alone is the
// floor (the same bytes copied), and the difference is the sort.
void SortBench(benchmark::State& state, int headerEvery, bool sort) {
  const int n = static_cast<int>(state.range(0));
  AssocList& original = Table(n, headerEvery);
  AssocList work;
  bench::FillTable(work, n, headerEvery);
  const size_t bytes = static_cast<size_t>(n) * sizeof(AssocRecord);
  for (auto _ : state) {
    std::memcpy(static_cast<void*>(work.At(0)), original.At(0), bytes);
    if (sort) work.SortGroups(SortDescriptionAsc);
    benchmark::ClobberMemory();
  }
  // The sort must have ordered every run.
  for (uint32_t i = 1; sort && i < work.Count(); ++i) {
    const AssocRecord* a = work.At(i - 1);
    const AssocRecord* b = work.At(i);
    if (!a->group && !b->group && CompareText(a->Description.Text(), b->Description.Text(), -1, 0) > 0) {
      state.SkipWithError("a run is not in order after SortGroups");
      break;
    }
  }
  SetCounters(state, n);
}
void BM_SortGroups(benchmark::State& state) { SortBench(state, HeaderEvery, true); }
void BM_SortGroupsFloor(benchmark::State& state) { SortBench(state, HeaderEvery, false); }
// The same with no headers: one run of n records.
void BM_SortOneRun(benchmark::State& state) { SortBench(state, 0, true); }
void BM_SortOneRunFloor(benchmark::State& state) { SortBench(state, 0, false); }

// The store against the portable registry. Every benchmark first saves the
// table with the plug-in and checks that the floor does the same work.
bool PrepareStore(benchmark::State& state, int n) {
  std::string problem = bench::CheckStoreFloor(Table(n), StoreRoot);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return false;
  }
  return true;
}

// Times one store operation per iteration; the run stops with failure as
// soon as one does not do the whole of its work.
template <typename Operation>
void TimeStore(benchmark::State& state, int n, Operation operation, const char* failure) {
  for (auto _ : state) {
    if (!operation()) {
      state.SkipWithError(failure);
      break;
    }
  }
  SetCounters(state, n);
}

void BM_Load(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!PrepareStore(state, n)) return;
  TimeStore(
      state, n,
      [n] {
        AssocList list;
        return LoadAssociations(list) && list.Count() == static_cast<uint32_t>(n);
      },
      "the load did not read the whole table");
}

void BM_LoadFloor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!PrepareStore(state, n)) return;
  bench::BarePlan plan(Table(n));
  TimeStore(
      state, n, [&plan, n] { return plan.Load() == n * 8; }, "the bare load did not read every value");
}

void BM_Save(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!PrepareStore(state, n)) return;
  TimeStore(
      state, n, [n] { return SaveAssociations(Table(n)); }, "SaveAssociations failed");
}

// The apply as the session makes it: the journal, the table, the journal
// removed (against Save, the table alone, and the floor).
void BM_SaveJournaled(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!PrepareStore(state, n)) return;
  TimeStore(
      state, n, [n] { return ApplyTable(Table(n)); }, "ApplyTable failed");
}

void BM_SaveFloor(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  if (!PrepareStore(state, n)) return;
  bench::BarePlan plan(Table(n));
  TimeStore(
      state, n, [&plan] { return plan.Save(); }, "the bare save failed");
}

}  // namespace

BENCHMARK(BM_ListPass)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListPassFloor)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LeanPass)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WidthScan)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MenuLineAppends)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortGroups)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortGroupsFloor)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortOneRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortOneRunFloor)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFloor)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Save)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveFloor)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveJournaled)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
