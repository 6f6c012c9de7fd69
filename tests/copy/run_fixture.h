#pragma once
// A copy run over a simulated network, answered by the scripted window system.
//
// The workstation's primary server HQ holds the sources (HQ/DATA/SRC); ALPHA, BETA and GAMMA
// are logged-in bindery targets with \DATA\DEST; DOS is one whose DATA volume has no long
// names; OLD is a 3.12 bindery server, not yet attached, with a DOS-only volume. Tests add
// servers and files.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "copy/run_driver.h"
#include "netware/client_startup.h"
#include "netware/login_dialog.h"
#include "netware/server_list.h"
#include "netware/target_server.h"
#include "resources/string_ids.h"
#include "scripted/scripted_window_system.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "tests/support/engine_state.h"
#include "tests/support/test_network.h"
#include "util/format_text.h"
#include "util/string_table.h"

inline const char* kRunNetworkToml = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"

[[server]]
name = "GAMMA"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "ALPHA"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "BETA"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"

[[server]]
name = "DOS"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  long_names = false

[[server]]
name = "OLD"
version = "3.12"
connection = "none"
  [[server.volume]]
  name = "DATA"
  long_names = false
  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
)";

class RunFixture : public ::testing::Test {
  protected:
    // Builds the network (with extra TOML appended), installs it and the scripted window
    // system, starts the client and fills the server list. Options: subdirectories on,
    // destination \DATA\DEST first in the history.
    // topToml goes before the tables (the tree name, for instance).
    void Start(const std::string& extraToml = "", const std::string& topToml = "") {
        net_ = std::make_unique<TestNetwork>(topToml + kRunNetworkToml + extraToml);
        for (const char* server : {"ALPHA", "BETA", "DOS", "GAMMA", "OLD"})
            net_->MakeDir(std::string(server) + "/DATA/DEST");
        net_->MakeDir("HQ/DATA/SRC");
        ResetEngineState();
        CopyOptions.CopySubDirs = 1;
        CopyOptions.TargetPath = "\\DATA\\DEST";
        TargetPathHistory = {"\\DATA\\DEST"};
        win::SetUi(&ui);
        net_->Install();
        ASSERT_TRUE(StartNetWareClient());
        ASSERT_TRUE(FillServerList());
    }

    void TearDown() override {
        win::SetDialogCancelHandler(nullptr);
        win::SetUi(nullptr);
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
    }

    TestNetwork& Net() { return *net_; }

    void Select(std::initializer_list<const char*> names) {
        for (const char* name : names)
            ASSERT_TRUE(ui.SelectServerByName(name)) << name;
    }

    // A log file outside the network, logging on.
    std::string UseLogFile() {
        static int counter = 0;
        const std::string path = ::testing::TempDir() + "farcast-run-test-" +
                                 std::to_string(::getpid()) + "-" + std::to_string(++counter) +
                                 ".log";
        std::filesystem::remove(path);
        CopyOptions.CreateLogfile = 1;
        CopyOptions.LogFileName = path;
        return path;
    }

    static std::string ReadLocal(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    bool SummaryShown() const { return ui.CountBoxes(LoadResString(IDS_SUMMARY_UPDATED)) > 0; }

    // The boxes that are not the summary.
    std::vector<std::string> OtherBoxTexts() const {
        std::vector<std::string> texts;
        const std::string summary = LoadResString(IDS_SUMMARY_UPDATED);
        for (const auto& box : ui.boxes)
            if (box.text.find(summary) == std::string::npos)
                texts.push_back(box.text);
        return texts;
    }

    // The copy dialog's titles after the initial one: one per server, in processing order.
    std::vector<std::string> ServerTitles() {
        const win::RecordedDialog* copy = ui.LastDialog(win::DialogKind::CopyFiles);
        if (!copy)
            return {};
        return std::vector<std::string>(copy->titles.begin() + 1, copy->titles.end());
    }

    static std::string CopyTitle(const std::string& server) {
        return std::string(LoadResString(IDS_COPYING_FILES_TO)) + server +
               LoadResString(IDS_ELLIPSIS);
    }

    win::ScriptedWindowSystem ui;

  private:
    std::unique_ptr<TestNetwork> net_;
};
