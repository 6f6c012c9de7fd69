// The path forms: canonical NetWare paths, paths fitted to a dialog control, joining.

#include <string>

#include "copy/path_utils.h"
#include "tests/netware/netware_fixture.h"

namespace {

const char* const kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
[workstation.drives]
F = '\\HQ\SYS'
X = '\\HQ\DATA\APPS'
[[server]]
name = "HQ"
  [[server.volume]]
  name = "SYS"
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "DOSV"
  long_names = false
)";

const char* const kLongFile = "\\\\HQ\\DATA\\Long Directory Name\\Another Long One\\file name.txt";

class CanonicalPathTest : public NetWareFixture {
  protected:
    void SetUp() override {
        NetWareFixture::SetUp();
        files = {{"HQ/DATA/APPS/TOOLS/A.TXT", "a"},
                 {"HQ/DATA/Long Directory Name/Another Long One/file name.txt", "long"},
                 {"HQ/DOSV/DIR/FILE.TXT", "dos"}};
        Open(kNetwork);
    }

    static std::string Canonical(std::string path, bool withServer, bool* ok = nullptr) {
        const bool result = CanonicalNetWarePath(path, withServer);
        if (ok)
            *ok = result;
        return path;
    }

    std::string ShortForm(const std::string& path) {
        char buffer[win::MAX_PATH] = {};
        EXPECT_GT(win::Files().GetShortPathName(path.c_str(), buffer, sizeof buffer), 0u);
        return buffer;
    }

    // The client refuses the path as given, as it does for names it only knows in 8.3 form.
    void RefuseFirstParse() {
        client->ClearFailures();
        client->calls.clear();
        client->FailCall("NWParsePath", 1, 0x899C);
    }
};

TEST_F(CanonicalPathTest, MappedDriveBecomesUncAndVolumeForms) {
    EXPECT_EQ(Canonical("x:\\tools\\a.txt", true), "\\\\HQ\\DATA\\APPS\\TOOLS\\A.TXT");
    EXPECT_EQ(Canonical("x:\\tools\\a.txt", false), "\\DATA\\APPS\\TOOLS\\A.TXT");
    EXPECT_EQ(Canonical("\\\\hq\\data\\apps\\tools", true), "\\\\HQ\\DATA\\APPS\\TOOLS");
}

TEST_F(CanonicalPathTest, VolumeRootsHaveNoDirectoryPart) {
    EXPECT_EQ(Canonical("F:\\", true), "\\\\HQ\\SYS");
    EXPECT_EQ(Canonical("F:\\", false), "\\SYS");
    EXPECT_EQ(Canonical("\\\\HQ\\DATA", true), "\\\\HQ\\DATA");
    EXPECT_EQ(Canonical("\\\\HQ\\DATA\\", false), "\\DATA");
}

TEST_F(CanonicalPathTest, LocalPathUnderTheNetworkRootNamesItsNetWarePath) {
    EXPECT_EQ(Canonical(network->LocalPath("HQ/DATA/APPS/TOOLS/A.TXT"), true),
              "\\\\HQ\\DATA\\APPS\\TOOLS\\A.TXT");
}

// A refused path stays as it was given: upper-casing it would make a later lookup of it find,
// of two names differing only in case, the upper-case one.
TEST_F(CanonicalPathTest, PathsOffNetWareAreRefusedAndLeftAsGiven) {
    bool ok = true;
    EXPECT_EQ(Canonical("c:\\local\\file.txt", true, &ok), "c:\\local\\file.txt");
    EXPECT_FALSE(ok);
    ok = true;
    Canonical("/nowhere/file.txt", true, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(CanonicalPathTest, ShortNamesComeBackWithEveryComponentsLongName) {
    const std::string shortPath = ShortForm(kLongFile);
    ASSERT_NE(shortPath, kLongFile);
    RefuseFirstParse();
    EXPECT_EQ(Canonical(shortPath, true), kLongFile);
    EXPECT_EQ(client->Count("NWGetLongName"), 3);  // one per component
    RefuseFirstParse();
    EXPECT_EQ(Canonical(shortPath, false),
              "\\DATA\\Long Directory Name\\Another Long One\\file name.txt");
}

TEST_F(CanonicalPathTest, ShortFormIsKeptWhereTheVolumeHasNoLongNames) {
    // The run already knows that the source volume has no long names.
    const std::string shortPath = ShortForm(kLongFile);
    CopyRun.SourceLongNamesKnown = true;
    CopyRun.SourceHasLongNames = false;
    RefuseFirstParse();
    EXPECT_EQ(Canonical(kLongFile, true), shortPath);
    EXPECT_EQ(client->Count("NWGetLongName"), 0);

    // Not known yet: the volume is asked, and a DOS-only volume keeps its names.
    CopyRun.SourceLongNamesKnown = false;
    RefuseFirstParse();
    EXPECT_EQ(Canonical("\\\\HQ\\DOSV\\DIR\\FILE.TXT", true), "\\\\HQ\\DOSV\\DIR\\FILE.TXT");
    EXPECT_EQ(client->Count("NWGetLongName"), 0);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CanonicalPathTest, FailedLongNameLookupRefusesThePath) {
    const std::string shortPath = ShortForm(kLongFile);
    RefuseFirstParse();
    client->FailCall("NWGetLongName", 2, 0x899C);
    bool ok = true;
    Canonical(shortPath, true, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(CanonicalPathTest, ResultBeyond259CharactersIsRefusedNeverCut) {
    // X: stands for \\HQ\DATA\APPS, so the canonical form is longer than the input.
    const std::string input = "X:\\" + std::string(250, 'D');
    ASSERT_LE(input.size(), 259u);
    bool ok = true;
    EXPECT_EQ(Canonical(input, true, &ok), input);
    EXPECT_FALSE(ok);
}

class FitPathTest : public NetWareFixture {
  protected:
    void SetUp() override {
        NetWareFixture::SetUp();
        Open(kNetwork);
        dialog = ui.CreateProgressDialog(win::DialogKind::CopyFiles, win::kMainWindow);
    }

    // Field 201 of the copy dialog holds 65 characters of the scripted window system.
    static constexpr int kFromField = 201;
    win::WindowId dialog = win::kNoWindow;
};

TEST_F(FitPathTest, PathThatFitsIsShownWholeInUncForm) {
    EXPECT_EQ(FitPathToControl(dialog, kFromField, "X:\\TOOLS\\A.TXT"),
              "\\\\HQ\\DATA\\APPS\\TOOLS\\A.TXT");
}

TEST_F(FitPathTest, LongPathLosesLeadingDirectoriesBehindAnEllipsis) {
    const std::string path =
        "\\\\HQ\\DATA\\ALPHA\\BRAVO\\CHARLIE\\DELTA\\ECHO\\FOXTROT\\GOLF\\HOTEL\\INDIA\\JULIET.TXT";
    EXPECT_EQ(FitPathToControl(dialog, kFromField, path),
              "\\\\HQ\\DATA\\ ...\\DELTA\\ECHO\\FOXTROT\\GOLF\\HOTEL\\INDIA\\JULIET.TXT");
}

TEST_F(FitPathTest, LastComponentIsKeptEvenWhenItAloneIsTooWide) {
    const std::string name(70, 'N');
    EXPECT_EQ(FitPathToControl(dialog, kFromField, "\\\\HQ\\DATA\\ALPHA\\BRAVO\\" + name),
              "\\\\HQ\\DATA\\ ...\\" + name);
}

TEST_F(FitPathTest, PathIsShownUnchangedWhenItCannotBeFitted) {
    const std::string path = "\\\\HQ\\DATA\\ALPHA\\" + std::string(80, 'B');
    EXPECT_EQ(FitPathToControl(dialog, 999, path), path);  // no such control
    EXPECT_EQ(FitPathToControl(dialog, kFromField, "C:\\LOCAL\\FILE"), "C:\\LOCAL\\FILE");
    ui.DestroyDialog(dialog);
    EXPECT_EQ(FitPathToControl(dialog, kFromField, path), path);
}

TEST(PathFormTest, JoinAndLastComponent) {
    EXPECT_EQ(JoinPath("\\\\HQ\\DATA\\DIR", "FILE.TXT"), "\\\\HQ\\DATA\\DIR\\FILE.TXT");
    EXPECT_EQ(LastComponent("\\\\HQ\\DATA\\DIR\\FILE.TXT"), "FILE.TXT");
    EXPECT_EQ(LastComponent("FILE.TXT"), "FILE.TXT");
    EXPECT_EQ(LastComponent("\\\\HQ\\DATA\\DIR\\"), "");
}

}  // namespace

namespace {

// What a user or a stored history gives as the destination, and what the run takes from it.
TEST_F(CanonicalPathTest, DestinationsBecomeVolumePathsOrAreRefused) {
    auto normalised = [](const std::string& given) {
        std::string target = "(refused)";
        NormaliseTargetPath(given, &target);
        return target;
    };
    EXPECT_EQ(normalised("\\DATA\\IN"), "\\DATA\\IN");
    EXPECT_EQ(normalised("\\data\\\\In\\"), "\\DATA\\In") << "case of the path kept";
    EXPECT_EQ(normalised("\\DATA"), "\\DATA");
    EXPECT_EQ(normalised("x:\\tools"), "\\DATA\\APPS\\TOOLS");
    EXPECT_EQ(normalised("\\\\hq\\data\\long directory name"), "\\DATA\\Long Directory Name");
    EXPECT_EQ(normalised(network->LocalPath("HQ/DATA/APPS")), "\\DATA\\APPS");
    EXPECT_EQ(normalised("\\\\HQ\\DATA"), "\\DATA");
    for (const char* refused :
         {"C:\\tmp", "H:\\", "..\\..\\tmp", "\\DATA\\..\\x", "\\DATA\\.", "DATA\\x", "\\", "",
          "\\\\", "\\\\NOSUCH\\DATA\\x", "/tmp", "\\DATA\\a:b", "\\DATA\\a\x01b"})
        EXPECT_EQ(normalised(refused), "(refused)") << refused;
    const std::string tooLong = "\\DATA\\" + std::string(254, 'x');
    EXPECT_EQ(normalised(tooLong), "(refused)");
    // Characters count, not the bytes of their UTF-8 form: 127 accented letters fit.
    std::string accented = "\\DATA\\";
    for (int i = 0; i < 127; ++i)
        accented += "\xC3\xA9";
    EXPECT_EQ(normalised(accented), accented);
}

}  // namespace
