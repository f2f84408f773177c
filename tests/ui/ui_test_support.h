// Shared set-up for the screen tests: a fake host, default display settings,
// an 80-column console, and a short way to build records.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_host.h"
#include "model/assoc_list.h"
#include "storage/settings.h"
#include "ui/session.h"

#ifndef _WIN32
#include "winport.h"
#endif

struct RecordSpec {
  std::string mask, description, execute, view, edit;
  bool group = false;
  bool marked = false;
};

inline AssocRecord MakeRecord(const RecordSpec& spec) {
  AssocRecord record;
  record.Reset();
  record.Mask = spec.mask.c_str();
  record.Description = spec.description.c_str();
  record.Execute = spec.execute.c_str();
  record.View = spec.view.c_str();
  record.Edit = spec.edit.c_str();
  record.group = spec.group ? 1 : 0;
  record.marked = spec.marked ? 1 : 0;
  return record;
}

inline AssocRecord Assoc(const std::string& mask, const std::string& description = "",
                         const std::string& execute = "") {
  return MakeRecord({mask, description, execute, "", "", false, false});
}

inline AssocRecord Header(const std::string& title) { return MakeRecord({title, "", "", "", "", true, false}); }

inline void Fill(AssocList& list, const std::vector<AssocRecord>& records) {
  for (const AssocRecord& record : records) list.Append(&record);
}

inline std::vector<std::string> Masks(const AssocList& list) {
  std::vector<std::string> masks;
  for (uint32_t i = 0; i < list.Count(); ++i) masks.push_back(list.At(i)->Mask.Text());
  return masks;
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Install();
    PluginSettings = DefaultSettings();
    ChangedFlag = 0;
#ifndef _WIN32
    WinportSetConsoleWidth(80);
#endif
  }
  void TearDown() override {
#ifndef _WIN32
    WinportSetConsoleWidth(0);
#endif
    host.Uninstall();
  }

  // Queues one menu answer: the line position and the break code.
  void Key(int position, int breakCode) { host.menuAnswers.emplace_back(position, breakCode); }

  FakeHost host;
};
