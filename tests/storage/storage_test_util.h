// Fixture for the storage tests: a scratch key of the test's own, with
// RegistryBasePath pointing at its "Settings" subkey and AssocKeyPath at its
// "Associations" subkey, both set back afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/entry/startup.h"
#include "portable/registry_test_util.h"
#include "storage/registry_access.h"

class StorageTest : public ::testing::Test {
 protected:
  explicit StorageTest(const std::string& name)
      : scratch(name), settingsPath(scratch / "Settings"), assocPath(scratch / "Associations") {}

  void SetUp() override {
    savedBase = RegistryBasePath;
    std::memcpy(savedAssocPath, AssocKeyPath, sizeof savedAssocPath);
    RegistryBasePath = settingsPath.c_str();
    std::snprintf(AssocKeyPath, sizeof AssocKeyPath, "%s", assocPath.c_str());
  }
  void TearDown() override {
    RegistryBasePath = savedBase;
    std::memcpy(AssocKeyPath, savedAssocPath, sizeof savedAssocPath);
  }

  regtest::ScratchKey scratch;
  const std::string settingsPath;
  const std::string assocPath;

 private:
  const char* savedBase = nullptr;
  char savedAssocPath[AssocKeyPathSize] = {};
};
