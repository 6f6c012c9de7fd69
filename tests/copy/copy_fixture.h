#pragma once
// A simulated network and a scripted window system for the copy and synchronisation tests,
// with the run state reset before every test.
//
// Server HQ (logged in) has the volumes DATA (long names), DOS (8.3 names only), COMP
// (compresses files) and TINY (a few blocks, nearly full). Trees are written with Write()
// before Install(); tests copy between \\HQ\<VOLUME>\SRC and \\HQ\<VOLUME>\DST.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "copy/progress_dialogs.h"
#include "netware/target_server.h"
#include "report/log_file.h"
#include "resources/string_ids.h"
#include "scripted/scripted_window_system.h"
#include "settings/copy_options.h"
#include "tests/support/engine_state.h"
#include "tests/support/test_network.h"
#include "util/format_text.h"
#include "util/string_table.h"

inline constexpr const char* kCopyTestNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"

  [[server.volume]]
  name = "DATA"

  [[server.volume]]
  name = "DOS"
  long_names = false

  [[server.volume]]
  name = "COMP"
  compression = true

  [[server.volume]]
  name = "TINY"
  block_size = 4096
  total_blocks = 4

  [[server.user]]
  name = "ADMIN"
  password = "SECRET"
)";

// The text an attended ErrorAskContinue shows for a string-table format.
inline std::string AskText(unsigned id, ...) {
    char text[2048];
    va_list args;
    va_start(args, id);
    std::vsnprintf(text, sizeof text, LoadResString(id), args);
    va_end(args);
    return std::string(text) + LoadResString(IDS_ASK_CONTINUE_COPYING);
}

class CopyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        win::SetUi(&ui);
        win::SetDialogCancelHandler(&ProgressDialogCancelled);
        logPath_ = std::filesystem::temp_directory_path() /
                   ("farcast-copy-test-" + std::to_string(::getpid()) + ".log");
        std::filesystem::remove(logPath_);
    }

    void TearDown() override {
        CloseLogFile();
        std::filesystem::remove(logPath_);
        win::SetDialogCancelHandler(nullptr);
    }

    // The network, made on first use with extraToml (faults, for example) appended.
    TestNetwork& Net(const std::string& extraToml = "") {
        if (!net_)
            net_ = std::make_unique<TestNetwork>(std::string(kCopyTestNetwork) + extraToml);
        return *net_;
    }
    // Removes the network, so that the next Net() makes a fresh one.
    void ResetNet() {
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
        net_.reset();
    }
    void Write(const std::string& relative, const std::string& content, std::int64_t mtime = -1) {
        Net().WriteFile(relative, content, mtime);
    }

    // Installs the network, opens the copy dialog and sets the volumes' name capabilities.
    void Install(bool sourceLongNames = true, bool destinationLongNames = true) {
        Net().Install();
        CopyRun.SourceHasLongNames = sourceLongNames;
        CopyRun.SourceLongNamesKnown = true;
        CopyRun.DestHasLongNames = destinationLongNames;
        CopyRun.CopyBuffer.resize(64 * 1024);
        ProgressDialog = ui.CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
    }

    // The simulator's metadata lines of one entry as key=value pairs (trustee lines dropped).
    std::map<std::string, std::string> Stat(const std::string& path) {
        std::string out, error;
        std::map<std::string, std::string> result;
        if (!Net().Net().Stat(path, &out, &error)) {
            ADD_FAILURE() << "stat " << path << ": " << error;
            return result;
        }
        std::size_t start = 0;
        while (start < out.size()) {
            std::size_t end = out.find('\n', start);
            if (end == std::string::npos)
                end = out.size();
            const std::string line = out.substr(start, end - start);
            const std::size_t equals = line.find('=');
            if (equals != std::string::npos)
                result[line.substr(0, equals)] = line.substr(equals + 1);
            start = end + 1;
        }
        return result;
    }
    void SetAttributes(const std::string& path, std::uint32_t attributes) {
        std::string error;
        ASSERT_TRUE(Net().Net().SetAttributes(path, attributes, &error)) << error;
    }
    void SetMask(const std::string& path, std::uint16_t mask) {
        std::string error;
        ASSERT_TRUE(Net().Net().SetInheritedRightsMask(path, mask, &error)) << error;
    }

    // Content read through the file services (uncompressed, whatever the storage).
    std::string Content(const std::string& path) {
        win::ScopedHandle file(win::Files().CreateFile(
            path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
        if (!file.Valid())
            return "<missing>";
        std::string content;
        char buffer[65536];
        std::uint32_t read = 0;
        while (win::Files().ReadFile(file.Get(), buffer, sizeof buffer, &read) && read > 0)
            content.append(buffer, read);
        return content;
    }
    bool Exists(const std::string& path) {
        return win::Files().GetFileAttributes(path.c_str()) != win::INVALID_FILE_ATTRIBUTES;
    }

    // Names of the temporary copy files left in a directory ("SERVER/VOLUME/dir").
    std::vector<std::string> TemporaryFiles(const std::string& relativeDir) {
        return Net().TemporaryFiles(relativeDir);
    }

    void OpenLog(bool verbose = false) {
        CopyOptions.CreateLogfile = 1;
        CopyOptions.VerboseLogging = verbose ? 1 : 0;
        CopyOptions.LogFileName = logPath_.string();
        CopyRun.LogFile = OpenLogFile(CopyOptions.LogFileName);
        ASSERT_NE(CopyRun.LogFile, win::INVALID_HANDLE_VALUE);
    }
    std::string LogText() {
        CloseLogFile();
        std::string text;
        if (FILE* f = std::fopen(logPath_.c_str(), "rb")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                text.append(buffer, n);
            std::fclose(f);
        }
        return text;
    }

    win::ScriptedWindowSystem ui;

  private:
    std::unique_ptr<TestNetwork> net_;
    std::filesystem::path logPath_;
};
