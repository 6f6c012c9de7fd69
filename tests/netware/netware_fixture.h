#pragma once
// A test fixture with a simulated network, a recording NetWare client in front of it and the
// scripted window system, and every process-wide value of the NetWare layer reset.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "copy/copy_run.h"
#include "netware/attach_login.h"
#include "netware/client_startup.h"
#include "netware/login_dialog.h"
#include "netware/target_server.h"
#include "scripted/scripted_window_system.h"
#include "settings/copy_options.h"
#include "tests/netware/recording_client.h"
#include "tests/support/engine_state.h"
#include "tests/support/test_network.h"

class NetWareFixture : public ::testing::Test {
  protected:
    NetWareFixture() : ui(&win::scripted::DriveLoginDialog, nullptr) {}

    void SetUp() override {
        ResetEngineState();
        win::SetUi(&ui);
    }

    void TearDown() override {
        SetNetWare(nullptr);
        win::SetFiles(nullptr);
        win::SetUi(nullptr);
    }

    // Builds the network, installs it behind the recording client and, when start is set,
    // starts the client as the program does (PrimaryConnection, PrimaryLoginName).
    void Open(const std::string& toml, bool start = true) {
        network = std::make_unique<TestNetwork>(toml);
        for (const auto& [path, content] : files)
            network->WriteFile(path, content);
        network->Install();
        client = std::make_unique<RecordingClient>(network->Net().Client());
        SetNetWare(client.get());
        if (start) {
            ASSERT_TRUE(StartNetWareClient());
        }
        client->calls.clear();
    }

    // Attaches (when needed) and gives the connection to the server without logging in.
    NWCONN_HANDLE Connection(const std::string& server) {
        NWCONN_HANDLE conn = 0;
        if (NetWare().NWGetConnectionHandle(server.c_str(), 0, &conn, nullptr) != 0) {
            EXPECT_EQ(NetWare().NWAttachToFileServer(server.c_str(), 0, &conn), 0u);
        }
        return conn;
    }

    // The status flags of a connection, or -1 when the status cannot be read.
    int StatusFlags(NWCONN_HANDLE conn) {
        NWCCConnStatus status;
        if (NetWare().NWGetConnectionStatus(conn, &status, 124) != 0)
            return -1;
        return status.flags;
    }

    bool LoggedIn(NWCONN_HANDLE conn) {
        const int flags = StatusFlags(conn);
        return flags >= 0 && (flags & nw::CONN_LOGGED_IN) != 0;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes)
            texts.push_back(box.text);
        return texts;
    }

    // Files written into the trees before the network opens: "SERVER/VOLUME/path" -> text.
    std::vector<std::pair<std::string, std::string>> files;
    win::ScriptedWindowSystem ui;
    std::unique_ptr<TestNetwork> network;
    std::unique_ptr<RecordingClient> client;
};

// The stop-icon box every error of the engine's checks raises (ErrorBox), owned by the main
// window and brought to the foreground.
constexpr unsigned kErrorBoxStyle = 0x10010;
