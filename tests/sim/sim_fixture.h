#pragma once
// A small network most simulator tests share: a logged-in primary with Directory Services, a
// bindery server needing a login, a DOS-only volume and a compressing volume.

#include <gtest/gtest.h>

#include <string>

#include "netware/netware_client.h"
#include "platform/file_services.h"
#include "tests/support/test_network.h"

inline const char* kSimNetwork = R"(
tree = "TREE"
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
ds_authenticated = true
[workstation.drives]
F = '\\HQ\DATA'
X = '\\HQ\DATA\APPS'

[[server]]
name = "HQ"
directory_services = true
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "DOS"
  long_names = false
  [[server.volume]]
  name = "COMP"
  compression = true
  block_size = 4096
  total_blocks = 1000
  [[server.user]]
  name = "ADMIN"
  password = "secret"

[[server]]
name = "OLD"
version = "3.12"
  [[server.volume]]
  name = "SYS"
  [[server.user]]
  name = "SUPERVISOR"
  password = "NETWARE"
  [[server.user]]
  name = "GUEST"
  password = ""
  expired = true

[[server]]
name = "SALES"
version = "4.11"
directory_services = true
connection = "attached"
listed = false
  [[server.volume]]
  name = "DATA"

[[object]]
name = "CN=JSMITH.O=ACME"
ids = { HQ = 0x01000011, SALES = 0x02000011 }
)";

class SimTest : public ::testing::Test {
  protected:
    explicit SimTest(const std::string& extraToml = "") : net_(kSimNetwork + extraToml) {}

    void SetUp() override {
        net_.WriteFile("HQ/DATA/PROJ/a.txt", "hello");
        net_.WriteFile("HQ/DATA/PROJ/LongFileName.txt", "long");
        net_.MakeDir("HQ/DATA/APPS/TOOLS");
        net_.Install();
    }

    NWCONN_HANDLE Connection(const char* server) {
        NWCONN_HANDLE conn = 0;
        NetWare().NWGetConnectionHandle(server, 0, &conn, nullptr);
        return conn;
    }
    std::uint16_t Flags(NWCONN_HANDLE conn) {
        NWCCConnStatus status;
        EXPECT_EQ(NetWare().NWGetConnectionStatus(conn, &status, sizeof status), 0u);
        return status.flags;
    }

    TestNetwork net_;
};
