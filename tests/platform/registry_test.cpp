// The registry stand-in: values keep type and bytes across a restart, the Win32 result codes,
// the hive files' text, and what happens to a hive file that cannot be read.

#include "platform/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;
using namespace win;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/farcast-registry-XXXXXX";
        dir_ = mkdtemp(pattern);
        SetRegistryDirectory(dir_.string());
    }
    void TearDown() override {
        SetRegistryDirectory("");
        fs::remove_all(dir_);
    }

    // A key of the user hive, created.
    HKEY Create(const char* path, std::uint32_t* disposition = nullptr) {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, &key, disposition), ERROR_SUCCESS);
        return key;
    }

    void Set(HKEY key, const char* name, std::uint32_t type, const std::vector<unsigned char>& d) {
        EXPECT_EQ(RegSetValueEx(key, name, type, d.data(), static_cast<std::uint32_t>(d.size())),
                  ERROR_SUCCESS);
    }

    // The value's type and bytes, read with a buffer of exactly its size.
    std::pair<std::uint32_t, std::vector<unsigned char>> Get(HKEY key, const char* name) {
        std::uint32_t size = 0;
        std::uint32_t type = 0;
        EXPECT_EQ(RegQueryValueEx(key, name, &type, nullptr, &size), ERROR_SUCCESS) << name;
        std::vector<unsigned char> data(size);
        EXPECT_EQ(RegQueryValueEx(key, name, &type, data.data(), &size), ERROR_SUCCESS) << name;
        return {type, data};
    }

    fs::path dir_;
};

std::vector<unsigned char> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST_F(RegistryTest, ValuesKeepTypeAndExactBytesAcrossRestart) {
    std::vector<unsigned char> big(4000);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<unsigned char>(i * 7);
    const std::vector<std::tuple<const char*, std::uint32_t, std::vector<unsigned char>>> values = {
        {"Text", REG_SZ, Bytes(std::string("C:\\LOGS\\\"quoted\".LOG") + '\0')},
        {"EmptyText", REG_SZ, Bytes(std::string(1, '\0'))},
        {"NoTerminator", REG_SZ, Bytes("abc")},
        {"InnerNul", REG_SZ, Bytes(std::string("a\0b\0", 4))},
        {"LineBreak", REG_SZ, Bytes(std::string("one\r\ntwo") + '\0')},
        {"EmptyMulti", REG_MULTI_SZ, Bytes(std::string(1, '\0'))},
        {"Multi", REG_MULTI_SZ, Bytes(std::string("\\SYS\\A\0\\DATA\0\0", 14))},
        {"Dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"ShortDword", REG_DWORD, {0x01, 0x02}},
        {"LongDword", REG_DWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"Binary", REG_BINARY, big},
        {"NoBytes", REG_BINARY, {}},
        {"OddType", 0x2A, {0xFF}},
        {"", REG_SZ, Bytes(std::string("default") + '\0')},
    };
    HKEY key = Create("Software\\Ostrand\\Farcast");
    for (const auto& [name, type, data] : values)
        Set(key, name, type, data);
    RegCloseKey(key);

    ResetRegistry();  // as a new process: everything comes from the file
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Ostrand\\Farcast", &key), ERROR_SUCCESS);
    for (const auto& [name, type, data] : values) {
        auto [gotType, gotData] = Get(key, name);
        EXPECT_EQ(gotType, type) << name;
        EXPECT_EQ(gotData, data) << name;
    }
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueryResultCodes) {
    HKEY key = Create("Software\\Test");
    Set(key, "Path", REG_SZ, Bytes(std::string("\\VOL1\\DATA") + '\0'));
    Set(key, "Wide", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0});

    // A buffer too small: "more data", the size needed, and nothing written.
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    std::uint32_t size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(std::string(small, 5), "xxxxx");

    // A DWORD read into four bytes from a longer value fails.
    std::uint32_t dword = 0;
    size = 4;
    EXPECT_EQ(RegQueryValueEx(key, "Wide", nullptr, &dword, &size), ERROR_MORE_DATA);
    EXPECT_EQ(dword, 0u);

    // A larger buffer gets the value and its true size.
    char large[64] = {};
    size = sizeof large;
    std::uint32_t type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "path", &type, large, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 11u);
    EXPECT_STREQ(large, "\\VOL1\\DATA");

    size = sizeof large;
    EXPECT_EQ(RegQueryValueEx(key, "Missing", nullptr, large, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueEx(0x4242, "Path", nullptr, large, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValue(key, "PATH"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, "Path", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, KeysAreCreatedOnceAndFoundInAnyCase) {
    std::uint32_t disposition = 0;
    HKEY first = Create("Software\\Ostrand\\Farcast", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY second = Create("SOFTWARE\\ostrand\\FARCAST", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    Set(first, "A", REG_DWORD, {7, 0, 0, 0});
    EXPECT_EQ(Get(second, "a").second, (std::vector<unsigned char>{7, 0, 0, 0}));

    // The keys between were made too; a key below an open key is found through it.
    HKEY parent = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Ostrand", &parent), ERROR_SUCCESS);
    HKEY child = 0;
    EXPECT_EQ(RegOpenKeyEx(parent, "Farcast", &child), ERROR_SUCCESS);
    EXPECT_EQ(Get(child, "A").second, (std::vector<unsigned char>{7, 0, 0, 0}));

    HKEY missing = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Other", &missing), ERROR_FILE_NOT_FOUND);
    // The machine hive is another file: the user's key is not in it.
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Ostrand", &missing),
              ERROR_FILE_NOT_FOUND);
    for (HKEY k : {first, second, parent, child})
        RegCloseKey(k);
}

TEST_F(RegistryTest, HiveFileIsRegeditTextWrittenWhole) {
    HKEY key = Create("Software\\Ostrand\\Farcast");
    Set(key, "CreateLogfile", REG_DWORD, {1, 0, 0, 0});
    Set(key, "LogFileName", REG_SZ, Bytes(std::string("C:\\A.LOG") + '\0'));
    Set(key, "TargetPath", REG_MULTI_SZ, {0});
    RegCloseKey(key);
    EXPECT_EQ(ReadFile(dir_ / "user.reg"),
              "REGEDIT4\n"
              "\n[HKEY_CURRENT_USER\\Software]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Ostrand]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Ostrand\\Farcast]\n"
              "\"CreateLogfile\"=dword:00000001\n"
              "\"LogFileName\"=\"C:\\\\A.LOG\"\n"
              "\"TargetPath\"=hex(7):00\n");
    EXPECT_FALSE(fs::exists(dir_ / "machine.reg"));
    // Nothing but the hive is left in the directory (no temporary files).
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(RegistryTest, ReadsHandWrittenHive) {
    WriteFile(dir_ / "machine.reg",
              "REGEDIT4\r\n"
              "; written by hand\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help]\r\n"
              "\"FARCAST.HLP\"=\"/opt/farcast\"\r\n"
              "@=DWORD:0000002a\r\n"
              "\"Long\"=hex:01,02,\\\r\n"
              "  03,04\r\n");
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\Help", &key),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "FARCAST.HLP"),
              std::make_pair(REG_SZ, Bytes(std::string("/opt/farcast") + '\0')));
    EXPECT_EQ(Get(key, nullptr),
              std::make_pair(REG_DWORD, std::vector<unsigned char>{42, 0, 0, 0}));
    EXPECT_EQ(Get(key, "Long"), std::make_pair(REG_BINARY, std::vector<unsigned char>{1, 2, 3, 4}));
    RegCloseKey(key);
}

TEST_F(RegistryTest, DamagedHiveIsReportedOnceAndKeptAside) {
    const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:zz\n";
    WriteFile(dir_ / "user.reg", damaged);

    testing::internal::CaptureStderr();
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", &key), ERROR_FILE_NOT_FOUND);
    key = Create("Software\\Ostrand\\Farcast");
    Set(key, "B", REG_DWORD, {1, 0, 0, 0});
    RegCloseKey(key);
    std::string report = testing::internal::GetCapturedStderr();

    // The damaged file is kept whole under another name, and the report names both.
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        if (entry.path().filename().string().rfind("user.reg.damaged-", 0) == 0)
            aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), damaged);
    EXPECT_NE(report.find((dir_ / "user.reg").string() + " cannot be read (line 4)"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find(aside[0].string()), std::string::npos) << report;
    EXPECT_EQ(report.find("cannot be read", report.find("cannot be read") + 1), std::string::npos)
        << "reported more than once: " << report;
    // The new hive holds what was written since.
    EXPECT_NE(ReadFile(dir_ / "user.reg").find("\"B\"=dword:00000001"), std::string::npos);
}

TEST_F(RegistryTest, HiveThatCannotBeReadIsNeverReplaced) {
    // A directory where the hive file should be: it cannot be read, nor replaced.
    fs::create_directory(dir_ / "user.reg");
    WriteFile(dir_ / "user.reg" / "keep", "x");
    testing::internal::CaptureStderr();
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software", &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueEx(HKEY_CURRENT_USER, "A", REG_DWORD, "\1\0\0\0", 4), ERROR_ACCESS_DENIED);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("cannot be opened"), std::string::npos) << report;
    EXPECT_TRUE(fs::exists(dir_ / "user.reg" / "keep"));
}

TEST_F(RegistryTest, UnwritableDirectoryFailsKeyCreationAndKeepsNothing) {
    WriteFile(dir_ / "file", "not a directory");
    SetRegistryDirectory((dir_ / "file" / "farcast").string());
    HKEY key = 0;
    std::uint32_t result =
        RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Ostrand\\Farcast", &key, nullptr);
    EXPECT_EQ(result, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ChangesMadeByAnotherProcessAreSeen) {
    HKEY key = Create("Software\\Test");
    Set(key, "A", REG_DWORD, {1, 0, 0, 0});
    RegCloseKey(key);
    WriteFile(dir_ / "user.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Test]\n\"A\"=dword:00000002\n"
              "\"Extra\"=\"x\"\n");
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Test", &key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "A").second, (std::vector<unsigned char>{2, 0, 0, 0}));
    Set(key, "B", REG_DWORD, {3, 0, 0, 0});
    RegCloseKey(key);
    // Writing kept the other process's value.
    EXPECT_NE(ReadFile(dir_ / "user.reg").find("\"Extra\"=\"x\""), std::string::npos);
}

TEST_F(RegistryTest, DefaultDirectoryFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    SetRegistryDirectory("");
    EXPECT_EQ(RegistryDirectory(), (dir_ / "farcast").string());
    HKEY key = Create("Software");
    Set(key, "A", REG_DWORD, {1, 0, 0, 0});
    RegCloseKey(key);
    EXPECT_TRUE(fs::exists(dir_ / "farcast" / "user.reg"));
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
