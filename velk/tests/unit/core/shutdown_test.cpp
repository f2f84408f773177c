// Ending velk on a termination signal: the handlers only note it, the run
// ends at the next safe point (the terminal given back first), and the
// scripted front end reaches a safe point before each command.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "core/shutdown.h"
#include "script/script_front_end.h"

namespace velk {
namespace {

struct Ended {
  int signal;
};

#if defined(_WIN32)
const std::vector<int> kSignals = {SIGINT, SIGTERM};
#else
const std::vector<int> kSignals = {SIGINT, SIGHUP, SIGTERM, SIGQUIT};
#endif

// Puts the process's signal dispositions and velk's state back afterwards.
class ShutdownTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int sig : kSignals) saved_.push_back(std::signal(sig, SIG_DFL));
    ClearTerminationSignal();
  }
  void TearDown() override {
    for (size_t i = 0; i < kSignals.size(); ++i) std::signal(kSignals[i], saved_[i]);
    ClearTerminationSignal();
    SetTerminationHandler(nullptr);
    SetTerminalRestore(nullptr);
  }
  // The order of what happened at the end.
  std::vector<std::string> events;
  void Arm() {
    SetTerminalRestore([this] { events.push_back("restore"); });
    SetTerminationHandler([this](int sig) {
      events.push_back("end " + std::to_string(sig));
      throw Ended{sig};
    });
  }

 private:
  std::vector<void (*)(int)> saved_;
};

TEST_F(ShutdownTest, ASignalIsOnlyNotedAndEndsTheRunAtTheSafePoint) {
  Arm();
  CatchTerminationSignals();
  StopIfTerminated();  // nothing noted: goes on
  EXPECT_TRUE(events.empty());
  std::raise(SIGTERM);      // would end the process without the handler
  std::raise(SIGINT);       // the first signal counts
  NoteTermination(SIGINT);  // and so does it over a terminal found gone
  EXPECT_EQ(TerminationSignal(), SIGTERM);
  EXPECT_TRUE(events.empty());
  EXPECT_THROW(StopIfTerminated(), Ended);
  EXPECT_EQ(events, (std::vector<std::string>{"restore", "end " + std::to_string(SIGTERM)}));
  // The terminal is given back once only.
  RestoreTerminal();
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(ShutdownTest, ATerminalFoundGoneEndsTheRunAsItsSignalWould) {
  Arm();
  NoteTermination(SIGTERM);
  EXPECT_THROW(StopIfTerminated(), Ended);
  EXPECT_EQ(events, (std::vector<std::string>{"restore", "end " + std::to_string(SIGTERM)}));
}

TEST_F(ShutdownTest, ExitStatusIs128PlusTheSignal) {
  EXPECT_EQ(TerminationStatus(SIGINT), 130);
  EXPECT_EQ(TerminationStatus(SIGTERM), 143);
#if !defined(_WIN32)
  EXPECT_EQ(TerminationStatus(SIGHUP), 129);
#endif
}

#if !defined(_WIN32)
TEST_F(ShutdownTest, ASignalIgnoredAtTheStartStaysIgnored) {
  std::signal(SIGHUP, SIG_IGN);
  CatchTerminationSignals();
  struct sigaction now {};
  sigaction(SIGHUP, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_NE(now.sa_handler, SIG_DFL);
  EXPECT_TRUE(now.sa_flags & SA_RESTART);
}
#endif

ScriptFrontEnd Script(const std::string& text, std::vector<std::string>& events) {
  std::vector<ScriptCommand> commands;
  std::string error;
  EXPECT_TRUE(ParseScript(text, commands, error)) << error;
  return ScriptFrontEnd(std::move(commands), [&events](int status, const std::string&) {
    events.push_back("script stop " + std::to_string(status));
    throw Ended{0};
  });
}

TEST_F(ShutdownTest, TheScriptReachesASafePointBeforeEachCommand) {
  Arm();
  CatchTerminationSignals();
  ScriptFrontEnd script = Script("open\nkey Down\nkey Enter\n", events);
  EXPECT_EQ(script.NextHostCommand({}, {}).kind, HostCommand::Open);
  std::raise(SIGINT);
  // Inside the plug-in's menu: the next key is not taken.
  HostMenuItem items[2] = {};
  MenuView menu;
  menu.items = items;
  menu.count = 2;
  EXPECT_THROW(script.ShowMenu(menu), Ended);
  EXPECT_EQ(script.Remaining(), 2u);
  EXPECT_EQ(events, (std::vector<std::string>{"restore", "end " + std::to_string(SIGINT)}));

  // At velk's own level, too, and before the end of the script counts.
  events.clear();
  SetTerminalRestore(nullptr);
  ScriptFrontEnd done = Script("", events);
  EXPECT_THROW(done.NextHostCommand({}, {}), Ended);
  EXPECT_EQ(events, (std::vector<std::string>{"end " + std::to_string(SIGINT)}));
}

}  // namespace
}  // namespace velk
