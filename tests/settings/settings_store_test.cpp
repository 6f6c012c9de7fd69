// The settings key: first run, what exit writes, the read rules of stored values, the window
// placement, the start-up failure, and the help file's location.

#include <unistd.h>

#include <fstream>
#include <optional>
#include <utility>

#include "settings_fixture.h"

using namespace win;

namespace {

constexpr const char* kKey = "Software\\Ostrand\\Farcast";
constexpr const char* kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";

using Bytes = std::vector<unsigned char>;

Bytes Dword(std::uint32_t v) {
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
}

Bytes Text(const std::string& s) {
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

class SettingsStoreTest : public SettingsFixture {
  protected:
    void Store(const char* name, std::uint32_t type, const Bytes& data,
               HKEY root = HKEY_CURRENT_USER, const char* path = kKey) {
        ScopedKey key;
        ASSERT_EQ(RegCreateKeyEx(root, path, key.Receive(), nullptr), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueEx(key.Get(), name, type, data.data(),
                                static_cast<std::uint32_t>(data.size())),
                  ERROR_SUCCESS);
    }

    std::optional<std::pair<std::uint32_t, Bytes>> Stored(const char* name,
                                                          HKEY root = HKEY_CURRENT_USER,
                                                          const char* path = kKey) {
        ResetRegistry();  // read what is in the file, not what this process remembers
        ScopedKey key;
        if (RegOpenKeyEx(root, path, key.Receive()) != ERROR_SUCCESS)
            return std::nullopt;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        if (RegQueryValueEx(key.Get(), name, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        Bytes data(size);
        RegQueryValueEx(key.Get(), name, &type, data.data(), &size);
        return std::make_pair(type, data);
    }

    static std::string ExecutableDirectory() {
        char path[4096];
        ssize_t n = readlink("/proc/self/exe", path, sizeof path);
        std::string full(path, static_cast<std::size_t>(n));
        return full.substr(0, full.rfind('/'));
    }
};

TEST_F(SettingsStoreTest, FirstRunStartsFromDefaultsAndExitWritesEveryValue) {
    WindowPlacement placement{1, 2, 3, 4};
    std::uint32_t code = 99;
    ASSERT_TRUE(OpenSettingsKeyAtStartup(&placement, &code));
    EXPECT_EQ(placement.left, 50);
    EXPECT_EQ(placement.top, 50);
    EXPECT_EQ(placement.width, 155);
    EXPECT_EQ(placement.height, 400);
    // The new key holds an empty "LogFileName" (one NUL byte) at once.
    EXPECT_EQ(Stored("LogFileName"), std::make_pair(REG_SZ, Text("")));

    CopyOptions.BufferSize = 64;  // the load sets every field, this one included
    LoadOptions();
    const CopyOptionsRecord defaults;
    EXPECT_EQ(CopyOptions.CreateLogfile, 0u);
    EXPECT_EQ(CopyOptions.SyncDirs, 0u);
    EXPECT_EQ(CopyOptions.CopyCompressed, 0u);
    EXPECT_EQ(CopyOptions.LogFileName, "");
    EXPECT_EQ(CopyOptions.BufferSize, 16u);
    EXPECT_EQ(AlreadyRun, 0u);
    EXPECT_TRUE(TargetPathHistory.empty());

    SaveOptions();
    SaveWindowPlacement(placement, false);
    const char* dwords[] = {"CreateLogfile",    "TrackDirectory",   "VerboseLogging",
                            "UnattendedMode",   "Netware4xServers", "LogoutTargetFileUser",
                            "NeverOverwrite",   "OverwriteOlder",   "PromptOnOverwrite",
                            "SyncDirs",         "CopySubDirs",      "OnlyCopyExistingFiles",
                            "PromptOnDeletion", "CopyAttributes",   "CopyInheritedRightsMask",
                            "CopyTrustees",     "CopyCompressed"};
    for (const char* name : dwords)
        EXPECT_EQ(Stored(name), std::make_pair(REG_DWORD, Dword(0))) << name;
    EXPECT_EQ(Stored("AlreadyRun"), std::make_pair(REG_DWORD, Dword(1)));
    EXPECT_EQ(Stored("BufferSize"), std::make_pair(REG_DWORD, Dword(16)));
    EXPECT_EQ(Stored("LogFileName"), std::make_pair(REG_SZ, Text("")));
    EXPECT_EQ(Stored("TargetPath"), std::make_pair(REG_MULTI_SZ, Bytes{0}));
    EXPECT_EQ(Stored("Left"), std::make_pair(REG_DWORD, Dword(50)));
    EXPECT_EQ(Stored("Top"), std::make_pair(REG_DWORD, Dword(50)));
    EXPECT_EQ(Stored("Width"), std::make_pair(REG_DWORD, Dword(155)));
    EXPECT_EQ(Stored("Height"), std::make_pair(REG_DWORD, Dword(400)));
}

TEST_F(SettingsStoreTest, OptionsAndHistorySurviveARestart) {
    CopyOptions.CreateLogfile = 1;
    CopyOptions.LogFileName = "/var/log/farcast.log";
    CopyOptions.VerboseLogging = 1;
    CopyOptions.OverwriteOlder = 1;
    CopyOptions.SyncDirs = 1;
    CopyOptions.CopyTrustees = 1;
    CopyOptions.BufferSize = 32;
    CopyOptions.TargetPath = "\\SYS\\NOT\\STORED";
    TargetPathHistory = {"\\DATA\\APPS", "\\SYS\\PUBLIC"};
    SaveOptions();
    EXPECT_EQ(Stored("TargetPath"),
              std::make_pair(REG_MULTI_SZ,
                             Bytes({'\\', 'D', 'A', 'T',  'A', '\\', 'A', 'P', 'P', 'S', 0, '\\',
                                    'S',  'Y', 'S', '\\', 'P', 'U',  'B', 'L', 'I', 'C', 0, 0})));

    const CopyOptionsRecord saved = CopyOptions;
    CopyOptions = CopyOptionsRecord{};
    TargetPathHistory = {"\\LEFT\\OVER"};
    ResetRegistry();
    LoadOptions();
    EXPECT_EQ(CopyOptions.CreateLogfile, 1u);
    EXPECT_EQ(CopyOptions.LogFileName, saved.LogFileName);
    EXPECT_EQ(CopyOptions.VerboseLogging, 1u);
    EXPECT_EQ(CopyOptions.OverwriteOlder, 1u);
    EXPECT_EQ(CopyOptions.NeverOverwrite, 0u);
    EXPECT_EQ(CopyOptions.SyncDirs, 1u);
    EXPECT_EQ(CopyOptions.CopyTrustees, 1u);
    EXPECT_EQ(CopyOptions.BufferSize, 32u);
    EXPECT_EQ(CopyOptions.TargetPath, "") << "the destination itself is not stored";
    EXPECT_EQ(History(), (std::vector<std::string>{"\\DATA\\APPS", "\\SYS\\PUBLIC"}));
    EXPECT_EQ(AlreadyRun, 1u);
}

TEST_F(SettingsStoreTest, StoredValuesReadByTheirRules) {
    Store("BufferSize", REG_DWORD, Dword(0));
    Store("SyncDirs", REG_DWORD, Dword(5));         // read as stored: non-zero is on
    Store("CopySubDirs", REG_BINARY, Dword(1));     // the type is not examined
    Store("CopyTrustees", REG_DWORD, Bytes(8, 1));  // longer than four bytes: absent
    Store("LogFileName", REG_SZ, Text(std::string(259, 'L')));
    LoadOptions();
    EXPECT_EQ(CopyOptions.BufferSize, 16u);
    EXPECT_EQ(CopyOptions.SyncDirs, 5u);
    EXPECT_EQ(CopyOptions.CopySubDirs, 1u);
    EXPECT_EQ(CopyOptions.CopyTrustees, 0u);
    EXPECT_EQ(CopyOptions.LogFileName, std::string(259, 'L'));

    // Zero is saved as 16; other sizes as they are.
    CopyOptions.BufferSize = 0;
    SaveOptions();
    EXPECT_EQ(Stored("BufferSize"), std::make_pair(REG_DWORD, Dword(16)));
    Store("BufferSize", REG_DWORD, Dword(8));
    Store("LogFileName", REG_SZ, Text(std::string(260, 'L')));  // too long: absent
    LoadOptions();
    EXPECT_EQ(CopyOptions.BufferSize, 8u);
    EXPECT_EQ(CopyOptions.LogFileName, "");
    // The limit counts characters: 200 accented letters are 400 bytes and still a name.
    std::string accented = "/logs/";
    for (int i = 0; i < 200; ++i)
        accented += "\xC3\xA9";
    Store("LogFileName", REG_SZ, Text(accented));
    LoadOptions();
    EXPECT_EQ(CopyOptions.LogFileName, accented);
    Store("BufferSize", REG_DWORD, Bytes{8, 0, 0, 0, 0, 0, 0, 0});  // unreadable: default
    LoadOptions();
    EXPECT_EQ(CopyOptions.BufferSize, 16u);
}

TEST_F(SettingsStoreTest, FlagsKeepTheirStoredValueFromLoadToSave) {
    // A hand-edited 2 is on, and a run of the program that never changes it writes 2 back.
    Store("CopyAttributes", REG_DWORD, Dword(2));
    Store("UnattendedMode", REG_DWORD, Dword(0xFFFFFFFF));
    Store("AlreadyRun", REG_DWORD, Dword(7));
    LoadOptions();
    EXPECT_EQ(CopyOptions.CopyAttributes, 2u);
    EXPECT_EQ(CopyOptions.UnattendedMode, 0xFFFFFFFFu);
    EXPECT_EQ(AlreadyRun, 7u);
    SaveOptions();
    EXPECT_EQ(Stored("CopyAttributes"), std::make_pair(REG_DWORD, Dword(2)));
    EXPECT_EQ(Stored("UnattendedMode"), std::make_pair(REG_DWORD, Dword(0xFFFFFFFF)));
    EXPECT_EQ(Stored("AlreadyRun"), std::make_pair(REG_DWORD, Dword(1)));
}

TEST_F(SettingsStoreTest, StoredHistoryLoadsUpToFirstEmptyStringAndAtMostFifteen) {
    Store("TargetPath", REG_MULTI_SZ, Bytes({0, '\\', 'A', 0, 0}));
    LoadOptions();
    EXPECT_TRUE(TargetPathHistory.empty());

    // Hand-made: 20 entries, one too long for a path, larger than the 3,900-byte buffer.
    Bytes big;
    std::vector<std::string> expected;
    for (int i = 0; i < 20; ++i) {
        std::string entry = "\\VOL\\" + std::string(200, static_cast<char>('A' + i));
        if (i == 2)
            entry = std::string(300, 'X');
        else if (expected.size() < 15)
            expected.push_back(entry);
        big.insert(big.end(), entry.begin(), entry.end());
        big.push_back(0);
    }
    big.push_back(0);
    ASSERT_GT(big.size(), 3900u);
    Store("TargetPath", REG_MULTI_SZ, big);
    LoadOptions();
    EXPECT_EQ(History(), expected);
    // What loaded can be saved whole.
    SaveOptions();
    auto stored = Stored("TargetPath");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->second.size(), 15u * 206 + 1);
}

TEST_F(SettingsStoreTest, WindowPlacementDefaultsAndMinimisedExit) {
    Store("Left", REG_DWORD, Dword(0));
    Store("Top", REG_DWORD, Dword(120));
    Store("Width", REG_DWORD, Dword(300));
    WindowPlacement placement;
    std::uint32_t code = 0;
    ASSERT_TRUE(OpenSettingsKeyAtStartup(&placement, &code));
    EXPECT_EQ(placement.left, 50);
    EXPECT_EQ(placement.top, 120);
    EXPECT_EQ(placement.width, 300);
    EXPECT_EQ(placement.height, 400);
    // The key existed: its "LogFileName" was not touched.
    EXPECT_FALSE(Stored("LogFileName"));

    SaveWindowPlacement(WindowPlacement{-1, 1, 2, 3}, true);
    EXPECT_EQ(Stored("Top"), std::make_pair(REG_DWORD, Dword(120)));
    EXPECT_FALSE(Stored("Height"));
    SaveWindowPlacement(WindowPlacement{-8, 10, 640, 480}, false);
    ASSERT_TRUE(OpenSettingsKeyAtStartup(&placement, &code));
    EXPECT_EQ(placement.left, -8);  // a window left of the screen edge comes back there
    EXPECT_EQ(placement.top, 10);
    EXPECT_EQ(placement.width, 640);
    EXPECT_EQ(placement.height, 480);
}

TEST_F(SettingsStoreTest, SettingsKeyThatCannotBeCreated) {
    std::ofstream(dir_ / "file") << "x";
    SetRegistryDirectory((dir_ / "file" / "farcast").string());
    WindowPlacement placement;
    std::uint32_t code = 0;
    EXPECT_FALSE(OpenSettingsKeyAtStartup(&placement, &code));
    EXPECT_EQ(code, ERROR_PATH_NOT_FOUND);
    // Load and save then do nothing, silently.
    CopyOptions.BufferSize = 64;
    LoadOptions();
    EXPECT_EQ(CopyOptions.BufferSize, 64u);
    SaveOptions();
    EXPECT_FALSE(std::filesystem::exists(dir_ / "file" / "farcast"));
}

TEST_F(SettingsStoreTest, HelpFileLocationIsRecordedOnceAndNeverChanged) {
    EXPECT_EQ(HelpFileDirectory(), "");
    LoadOptions();  // records it first
    EXPECT_FALSE(std::filesystem::exists(dir_ / "user.reg")) << "loading writes no settings";
    EXPECT_EQ(Stored("FARCAST.HLP", HKEY_LOCAL_MACHINE, kHelpKey),
              std::make_pair(REG_SZ, Text(ExecutableDirectory())));
    EXPECT_EQ(HelpFileDirectory(), ExecutableDirectory());

    Store("FARCAST.HLP", REG_SZ, Text("/opt/elsewhere"), HKEY_LOCAL_MACHINE, kHelpKey);
    RecordHelpFileLocation();
    EXPECT_EQ(HelpFileDirectory(), "/opt/elsewhere");
    // Even one too long to read back is left alone.
    Store("FARCAST.HLP", REG_SZ, Text(std::string(400, 'd')), HKEY_LOCAL_MACHINE, kHelpKey);
    RecordHelpFileLocation();
    EXPECT_EQ(Stored("FARCAST.HLP", HKEY_LOCAL_MACHINE, kHelpKey),
              std::make_pair(REG_SZ, Text(std::string(400, 'd'))));
}

}  // namespace
