// Set-up for tests that drive the plug-in through its exports as a host
// does: the module is attached before each test and detached after it, and
// the exit-hook slot is left as the test found it, so that test order does
// not matter.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_host.h"
#include "host/base/exit_hook.h"
#include "host/base/host_abi.h"
#include "host/entry/startup.h"

class HostModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHook = InstallExitHook(nullptr);
    ModuleAttach();
  }
  void TearDown() override {
    ModuleDetach();
    InstallExitHook(savedHook);
  }

  void Start(const std::string& rootKeyPath = "Software\\TollexHostTest\\Plugins") {
    host.SetRootKeyPath(rootKeyPath);
    SetStartupInfo(&host.Record());
  }

  FakeHost host;
  ExitRoutine savedHook = nullptr;
};
