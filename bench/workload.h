// The workloads the benchmarks time, shared by the Google Benchmark target
// and the plain timing harness that runs under Wine: a lean host whose menu
// answers Esc at once, synthetic association tables, and the floors each
// figure is compared with (the bytes a list pass must write; the registry
// calls a load or a save must make, done bare).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/base/host_abi.h"
#include "model/assoc_list.h"
#include "ui/menu_line_list.h"

namespace bench {

// Points the plug-in's host record at a host whose menu returns -1 (Esc) at
// once, so that one RunListScreen call is one pass over the list. When
// capture is set, the next menu call copies its lines into captured.
void InstallLeanHost();
extern bool captureNextMenu;
extern std::vector<HostMenuItem> captured;
extern int menuCalls;

// Display settings for the pass: all three command columns shown, caps 30.
void UseScreenSettings();

// A deterministic table of n entries (the same in every build): one group
// header every headerEvery entries (0: none), texts of 5 to 60 characters,
// every seventh entry marked.
void FillTable(AssocList& list, int n, int headerEvery);

// The floor of one pass: the lines the pass hands to the host (taken from a
// real pass), copied line by line, 144 bytes each, into a freshly
// allocated block of the final size.
void CopyPassBytes(const std::vector<HostMenuItem>& lines);

// A reference pass written for speed within the same rules: widths over
// every record, each line composed straight into its menu line with byte
// copies instead of formatting, header bars, marks, the trailing line, and
// the line list grown by exactly one line per append. Title and menu call
// are left out (one each per pass, whatever the table size). Used to tell
// the cost the rules impose from the cost of the formatting calls.
void LeanPass(const AssocList& list, MenuLineList& lines);

// Registry workloads below HKEY_CURRENT_USER\<root>: AssocKeyPath becomes
// <root>\Associations and RegistryBasePath <root>\Tollex.
void UseStorePaths(const char* root);
// Removes <root> and everything below it.
void RemoveStoreRoot(const char* root);

// The registry calls of a load or a save of a given table, with every key
// path, value name and value text prepared beforehand, so that timing them
// measures the calls alone: no path formatting, no trimming, no records.
class BarePlan {
 public:
  BarePlan(const AssocList& table);
  // KeyExists of the table key; for each record eight open/query/close
  // triples into a 261-byte buffer; the failing open of the key after the
  // last record. Returns the number of values read.
  int Load() const;
  // The delete of the old tree (open, enumerate at index 0, recurse,
  // delete, close), the failing open and the create of the table key, and
  // for each record the failing open and create of its key and eight
  // open/set/close triples. Returns false when a call failed.
  bool Save() const;
  size_t Records() const { return paths.size(); }

 private:
  bool DeleteTree(HKEY parent, const char* subkey) const;

  std::string tablePath;
  std::vector<std::string> paths;   // one key path per record, and the one after the last
  std::vector<std::string> values;  // eight stored texts per record
};

// Checks that the floor does the work the plug-in does: SaveAssociations
// and BarePlan::Save leave the same tree, and LoadAssociations reads the
// table back. Empty when all is well, otherwise what differs.
std::string CheckStoreFloor(const AssocList& table, const char* root);

}  // namespace bench
