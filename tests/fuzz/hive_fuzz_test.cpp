// Damaged registry hives, a few hundred of them from fixed seeds, read through the registry
// stand-in as start-up and exit use it: no crash, no sanitizer report; every value the
// settings store reads is within what the program can use; a hive that cannot be read is
// reported once and kept byte for byte; one that can is never written back with less than it
// held; what exit writes, the next start reads back unchanged.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_hive_file.h"
#include "settings/copy_options.h"
#include "settings/settings_store.h"
#include "tests/fuzz/mutator.h"

namespace {

namespace fs = std::filesystem;
using win::regfile::KeyMap;

const char* kRoot = "HKEY_CURRENT_USER";

// A hive with every kind of value the format writes: DWORDs, texts with escapes, multi-strings,
// binary and odd types, long values continued over lines, a default value.
const char* kHandSeed = R"(REGEDIT4

[HKEY_CURRENT_USER\Software]

[HKEY_CURRENT_USER\Software\Ostrand]

[HKEY_CURRENT_USER\Software\Ostrand\Farcast]
"CreateLogfile"=dword:00000001
"LogFileName"="C:\\LOGS\\FARCAST \"A\".LOG"
"TargetPath"=hex(7):5c,53,59,53,00,5c,44,41,54,41,5c,58,00,00
"BufferSize"=dword:00000040
"Left"=dword:fffffff8
"Width"=dword:00000280
"Odd"=hex(1):61,00,62,00
"Blob"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,\
  19,1a,1b
@="default"

[HKEY_CURRENT_USER\Software\Other]
"Kept"=hex(2):25,50,41,54,48,25,00
)";

const char* kValues = R"(dword:00000000
dword:00000001
dword:ffffffff
dword:00400000
dword:80000000
dword:7fffffff
dword:00007fff
dword:00008000
dword:
dword:123456789
dword:-1
dword:0x10
hex(7):00
hex(7):41,00,00
hex(7):00,41,00,00
hex(7):41,41
hex(7):
hex:01,02
hex:
hex(4):01,00,00
hex(4):01,00,00,00,00
hex(4):00,00,40,00
hex(1):61,00
hex(1):61
hex(2):00
hex(ffffffff):00
hex(100000000):00
hex(-1):00
hex(7):41,zz,00
""
"text"
"a\\b"
"a\"b"
"unterminated
"LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL"
)";

const char* kTokens = R"("
\
\\
=
[
]
@
,
00
ff
zz
,\^n  
\^n
^n
^r^n
^x00
^xFF
^xC2^x85
REGEDIT4
Windows Registry Editor Version 5.00
[HKEY_CURRENT_USER\Software\Ostrand\Farcast]
[HKEY_LOCAL_MACHINE\Software]
[-HKEY_CURRENT_USER\Software]
[HKEY_CURRENT_USER\Software\Ostrand\Farcast\]
[HKEY_CURRENT_USER\\]
^n"BufferSize"=dword:00400000^n
^n"BufferSize"=dword:ffffffff^n
^n"BufferSize"=dword:00000000^n
^n"Width"=dword:80000000^n
^n"Height"=dword:ffffffff^n
^n"Left"=dword:00008000^n
^n"TargetPath"=hex(7):00^n
^n"TargetPath"=hex(7):00,5c,41,00,00^n
^n"LogFileName"=hex(1):61,62^n
^n"CopySubDirs"=dword:00000005^n
^n"CopySubDirs"=hex(4):01,00,00,00,00^n
^n"targetpath"=hex(7):5c,41,00,5c,42,00,5c,43,00,5c,44,00,5c,45,00,5c,46,00,5c,47,00,5c,48,00,5c,49,00,5c,4a,00,5c,4b,00,5c,4c,00,5c,4d,00,5c,4e,00,5c,4f,00,5c,50,00,5c,51,00,00^n
dword:
hex(7):
hex:
)";

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HiveFuzz : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every registry write is synced to disk; in memory (when the machine offers it) the
        // hundreds of cases take seconds instead of a minute, with the same files and renames.
        std::error_code ec;
        const bool memory = fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0;
        std::string pattern =
            (memory ? std::string("/dev/shm/") : ::testing::TempDir()) + "farcast-fuzz-hive-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        base_ = pattern;
    }
    void TearDown() override {
        win::SetRegistryDirectory("");
        CopyOptions = CopyOptionsRecord{};
        TargetPathHistory.clear();
        std::error_code ec;
        fs::remove_all(base_, ec);
    }

    // A hive the program itself writes, with a full history and long texts.
    std::string ProgramSeed() {
        const fs::path dir = base_ / "seed";
        fs::create_directories(dir);
        win::SetRegistryDirectory(dir.string());
        WindowPlacement placement;
        std::uint32_t code = 0;
        EXPECT_TRUE(OpenSettingsKeyAtStartup(&placement, &code));
        CopyOptions = CopyOptionsRecord{};
        CopyOptions.CopySubDirs = CopyOptions.SyncDirs = CopyOptions.CreateLogfile = 1;
        CopyOptions.LogFileName = "/var/log/" + std::string(240, 'f') + ".log";
        CopyOptions.BufferSize = 64;
        TargetPathHistory.clear();
        for (int i = 0; i < 15; ++i)
            TargetPathHistory.push_back("\\DATA\\" + std::string(static_cast<std::size_t>(i * 16),
                                                                 static_cast<char>('A' + i)));
        SaveOptions();
        SaveWindowPlacement(WindowPlacement{-8, 30, 640, 480}, false);
        return Read(dir / "user.reg");
    }

    static std::vector<std::uint32_t> Flags() {
        const CopyOptionsRecord& o = CopyOptions;
        return {o.CreateLogfile,    o.VerboseLogging,       o.UnattendedMode,
                o.Netware4xServers, o.LogoutTargetFileUser, o.NeverOverwrite,
                o.OverwriteOlder,   o.PromptOnOverwrite,    o.TrackDirectory,
                o.SyncDirs,         o.CopySubDirs,          o.OnlyCopyExistingFiles,
                o.PromptOnDeletion, o.CopyAttributes,       o.CopyInheritedRightsMask,
                o.CopyTrustees,     o.CopyCompressed};
    }

    // The options as the settings store holds them, for comparing two loads.
    static std::string OptionsText() {
        const CopyOptionsRecord& o = CopyOptions;
        std::ostringstream out;
        for (std::uint32_t flag : Flags())
            out << flag;
        out << '|' << o.BufferSize << '|' << o.LogFileName;
        for (const std::string& entry : TargetPathHistory)
            out << '|' << entry;
        return out.str();
    }

    static void ExpectUsable(const WindowPlacement& p, const std::string& label) {
        const CopyOptionsRecord& o = CopyOptions;
        // A flag keeps the value stored (any non-zero value is on); only the buffer size has a
        // default in place of 0.
        EXPECT_NE(o.BufferSize, 0u) << label;
        EXPECT_LE(o.LogFileName.size(), 259u) << label;
        EXPECT_LE(TargetPathHistory.size(), 15u) << label;
        for (const std::string& entry : TargetPathHistory) {
            EXPECT_FALSE(entry.empty()) << label;
            EXPECT_LE(entry.size(), 259u) << label;
        }
        EXPECT_GE(p.left, -32768) << label;
        EXPECT_LE(p.left, 32767) << label;
        EXPECT_GE(p.top, -32768) << label;
        EXPECT_LE(p.top, 32767) << label;
        EXPECT_GE(p.width, 1) << label;
        EXPECT_LE(p.width, 32767) << label;
        EXPECT_GE(p.height, 1) << label;
        EXPECT_LE(p.height, 32767) << label;
    }

    // One start of the program over this hive text, and (withExit) its exit and next start;
    // without the exit, one value written elsewhere makes the hive file be written back.
    void RunCase(const std::string& hive, const std::string& label, bool withExit = true) {
        const fs::path dir = base_ / std::to_string(++cases_);
        fs::create_directories(dir);
        std::ofstream(dir / "user.reg", std::ios::binary) << hive;
        KeyMap before;
        int badLine = 0;
        const bool readable = win::regfile::ReadHiveText(hive, kRoot, &before, &badLine);
        if (readable)
            ExpectTextRoundTrip(before, label);

        win::SetRegistryDirectory(dir.string());
        ::testing::internal::CaptureStderr();
        WindowPlacement placement;
        std::uint32_t code = 0;
        const bool opened = OpenSettingsKeyAtStartup(&placement, &code);
        LoadOptions();
        ExpectUsable(placement, label);
        const std::string loaded = OptionsText();
        if (opened && withExit) {
            SaveOptions();
            SaveWindowPlacement(placement, false);
        } else if (opened) {
            win::ScopedKey other;
            win::RegCreateKeyEx(win::HKEY_CURRENT_USER, "Software\\Fuzz", other.Receive(), nullptr);
            const unsigned char one[4] = {1, 0, 0, 0};
            win::RegSetValueEx(other.Get(), "Probe", win::REG_DWORD, one, sizeof one);
        }
        const std::string reports = ::testing::internal::GetCapturedStderr();

        // A damaged hive is said once, on one line; a readable one not at all.
        const auto lines = std::count(reports.begin(), reports.end(), '\n');
        EXPECT_EQ(lines, readable ? 0 : 1) << label << ": " << reports;
        if (readable)
            ExpectNothingLost(before, dir / "user.reg", label);
        else
            ExpectKeptAside(hive, dir, label);

        // The next start reads what this exit wrote.
        if (opened && withExit) {
            win::ResetRegistry();
            CopyOptions = CopyOptionsRecord{};
            LoadOptions();
            EXPECT_EQ(OptionsText(), loaded) << label;
        }
        win::ResetRegistry();
    }

    // What the reader accepts, the writer writes back to the same keys and values.
    static void ExpectTextRoundTrip(const KeyMap& keys, const std::string& label) {
        const std::string written = win::regfile::WriteHiveText(kRoot, keys);
        KeyMap again;
        int badLine = 0;
        ASSERT_TRUE(win::regfile::ReadHiveText(written, kRoot, &again, &badLine))
            << label << ": line " << badLine << " of\n"
            << written;
        EXPECT_EQ(win::regfile::WriteHiveText(kRoot, again), written) << label;
    }

    // Every value the hive held is still there, with its type and bytes, unless exit wrote it.
    static void ExpectNothingLost(const KeyMap& before, const fs::path& file,
                                  const std::string& label) {
        KeyMap after;
        int badLine = 0;
        ASSERT_TRUE(win::regfile::ReadHiveText(Read(file), kRoot, &after, &badLine)) << label;
        const std::string settings = win::regfile::FoldName("Software\\Ostrand\\Farcast");
        for (const auto& [path, key] : before) {
            auto found = after.find(path);
            ASSERT_NE(found, after.end()) << label << ": key " << key.path;
            if (path == settings)
                continue;  // exit writes the settings key's values
            for (const win::regfile::Value& value : key.values) {
                const win::regfile::Value* now = win::regfile::FindValue(found->second, value.name);
                ASSERT_NE(now, nullptr) << label << ": " << key.path << " " << value.name;
                EXPECT_EQ(now->type, value.type) << label;
                EXPECT_EQ(now->data, value.data) << label;
            }
        }
    }

    // The damaged file is kept next to the new one, byte for byte.
    static void ExpectKeptAside(const std::string& hive, const fs::path& dir,
                                const std::string& label) {
        int kept = 0;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("user.reg.damaged-", 0) == 0 && Read(entry.path()) == hive)
                ++kept;
        }
        EXPECT_EQ(kept, 1) << label;
    }

    void RunCases(const std::string& seed, std::uint32_t randomSeed, int count,
                  const std::string& label) {
        Mutator mutator(randomSeed, EntryLines(kTokens), EntryLines(kValues));
        for (int i = 0; i < count && !HasFatalFailure(); ++i) {
            const std::string hive = i % 2 ? mutator.MutateValues(seed) : mutator.Mutate(seed);
            RunCase(hive, label + " case " + std::to_string(i), i % 3 == 0);
        }
    }

    fs::path base_;
    int cases_ = 0;
};

TEST_F(HiveFuzz, TheSeedsThemselvesLoad) {
    RunCase(kHandSeed, "hand seed");
    RunCase(ProgramSeed(), "program seed");
    EXPECT_EQ(CopyOptions.BufferSize, 64u);
    EXPECT_EQ(TargetPathHistory.size(), 15u);
}

TEST_F(HiveFuzz, HandWrittenHiveMutations) {
    RunCases(kHandSeed, 77, 200, "hand");
}

// One key of 100,000 parts once cost a minute and 10 GB at start-up: keys deeper than the
// registry's 512 levels make the hive damaged, reported and kept aside like any other.
TEST_F(HiveFuzz, KeyOfManyPartsLoadsInBoundedTime) {
    std::string key = "HKEY_CURRENT_USER";
    for (int part = 0; part < 100000; ++part)
        key += "\\a";
    RunCase("REGEDIT4\n\n[" + key + "]\n\"x\"=dword:00000001\n", "deep key");
}

TEST_F(HiveFuzz, ProgramWrittenHiveMutations) {
    RunCases(ProgramSeed(), 5150, 200, "program");
}

}  // namespace
