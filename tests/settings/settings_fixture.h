#pragma once
// A fresh settings world for each test: the registry's hives in a temporary directory, the
// options at their defaults, an empty history.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"

class SettingsFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/farcast-settings-XXXXXX";
        dir_ = mkdtemp(pattern);
        win::SetRegistryDirectory(dir_.string());
        CopyOptions = CopyOptionsRecord{};
        AlreadyRun = 0;
        TargetPathHistory.clear();
    }
    void TearDown() override {
        win::SetRegistryDirectory("");
        std::filesystem::remove_all(dir_);
        TargetPathHistory.clear();
        CopyOptions = CopyOptionsRecord{};
    }

    std::vector<std::string> History() const {
        return {TargetPathHistory.begin(), TargetPathHistory.end()};
    }

    std::filesystem::path dir_;
};
