// Destination directories: creation, attributes and the revoke-only inherited rights mask,
// applied again to directories that exist, and every failure message.
#include "copy/dir_creation.h"

#include "tests/copy/copy_fixture.h"

namespace {

const std::string kSource = R"(\\HQ\DATA\SRC\PROJ)";
const std::string kTarget = R"(\\HQ\DATA\DST\PROJ)";

std::string Fault(const std::string& call, const std::string& path, unsigned code) {
    return "\n[[fault]]\ncall = \"" + call + "\"\npath = '" + path +
           "'\ncode = " + std::to_string(code) + "\n";
}

class DirCreationTest : public CopyTest {
  protected:
    void Prepare(const std::string& extraToml = "") {
        Net(extraToml);
        Net().MakeDir("HQ/DATA/SRC/PROJ");
        Net().MakeDir("HQ/DATA/DST");
        Install();
    }
    unsigned Mask(const std::string& path) { return std::stoul(Stat(path)["irm"], nullptr, 16); }
};

TEST(RevokeMask, OnlyTheCarriedRightsAreRevoked) {
    EXPECT_EQ(RevokeMaskFor(0x00FF), 0x0000);
    EXPECT_EQ(RevokeMaskFor(0x01FF), 0x0000);
    EXPECT_EQ(RevokeMaskFor(0x0000), 0x00FB);
    EXPECT_EQ(RevokeMaskFor(0x0004), 0x00FB);
    EXPECT_EQ(RevokeMaskFor(0x00FE), 0x0001);
}

TEST_F(DirCreationTest, NewDirectoryGetsAttributesAndMask) {
    Prepare();
    SetAttributes(kSource, 0x00000012);  // directory, hidden
    SetMask(kSource, 0x00F0);
    CopyOptions.CopyAttributes = 1;
    CopyOptions.CopyInheritedRightsMask = 1;

    EXPECT_TRUE(CreateDestinationDirectory(kSource, kTarget));

    auto stat = Stat(kTarget);
    EXPECT_EQ(stat["directory"], "1");
    EXPECT_EQ(stat["attributes"], "0x00000012");
    EXPECT_EQ(Mask(kTarget) & 0xFBu, 0xF0u);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DirCreationTest, ExistingDirectoryIsBroughtIntoLineAgain) {
    // NWCreateDirectory would fail: it must not be called for a directory that exists.
    Prepare(Fault("NWCreateDirectory", "*", 0x89FF));
    Net().MakeDir("HQ/DATA/DST/PROJ");
    SetAttributes(kSource, 0x00000012);
    SetMask(kSource, 0x00FF);
    SetMask(kTarget, 0x00FE);  // lacks read, which the source holds
    CopyOptions.CopyAttributes = 1;
    CopyOptions.CopyInheritedRightsMask = 1;

    EXPECT_TRUE(CreateDestinationDirectory(kSource, kTarget));

    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Stat(kTarget)["attributes"], "0x00000012");
    EXPECT_EQ(Mask(kTarget) & 0xFBu, 0xFAu);  // rights are only ever taken away

    SetMask(kSource, 0x0000);
    EXPECT_TRUE(CreateDestinationDirectory(kSource, kTarget));
    EXPECT_EQ(Mask(kTarget) & 0xFBu, 0u);
}

TEST_F(DirCreationTest, NoMetadataCallWhenBothOptionsAreOff) {
    Prepare(Fault("NWSetNSEntryDOSInfo", "*", 0x89FF));
    EXPECT_TRUE(CreateDestinationDirectory(kSource, kTarget));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(Stat(kTarget)["directory"], "1");
}

TEST_F(DirCreationTest, DosVolumeGetsTheUpperCasedName) {
    Net();
    Net().MakeDir("HQ/DATA/SRC/proj");
    Net().MakeDir("HQ/DOS/DST");
    Install(true, false);
    EXPECT_TRUE(CreateDestinationDirectory(R"(\\HQ\DATA\SRC\proj)", R"(\\HQ\DOS\DST\proj)"));
    EXPECT_EQ(Stat(R"(\\HQ\DOS\DST\PROJ)")["name"], "PROJ");
}

struct DirFailure {
    const char* name;
    const char* call;
    const char* path;
    unsigned message;
    bool namesSource;
    bool withCode;
};

void PrintTo(const DirFailure& f, std::ostream* out) {
    *out << f.name;
}

class DirCreationFailureTest : public DirCreationTest,
                               public ::testing::WithParamInterface<DirFailure> {};

TEST_P(DirCreationFailureTest, ReportsAndRefuses) {
    const DirFailure& f = GetParam();
    Prepare(Fault(f.call, f.path, 0x89FF));
    CopyOptions.CopyAttributes = 1;
    ui.answers = {win::IDYES};

    EXPECT_FALSE(CreateDestinationDirectory(kSource, kTarget));

    ASSERT_EQ(ui.boxes.size(), 1u);
    const std::string& named = f.namesSource ? kSource : kTarget;
    const std::string expected =
        f.withCode ? AskText(f.message, named.c_str(), 0x89FFu) : AskText(f.message, named.c_str());
    EXPECT_EQ(ui.boxes[0].text, expected);
    EXPECT_EQ(ui.boxes[0].style, 0x10014u);
    EXPECT_FALSE(CancelRequested);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DirCreationFailureTest,
    ::testing::Values(
        DirFailure{"ParseSource", "NWParseNetWarePath", "*SRC*", IDS_ERR_PARSE_PATH, true, true},
        DirFailure{"ParseTarget", "NWParseNetWarePath", "*DST*", IDS_ERR_PARSE_PATH, false, true},
        DirFailure{"NameSpaceSource", "NWGetOwningNameSpace", "*SRC*", IDS_ERR_NAMESPACE, true,
                   true},
        DirFailure{"NameSpaceTarget", "NWGetOwningNameSpace", "*DST*", IDS_ERR_NAMESPACE, false,
                   true},
        DirFailure{"EntryInfo", "NWGetNSEntryInfo", "*SRC*", IDS_ERR_GET_ATTRIBUTES, true, true},
        DirFailure{"Create", "NWCreateDirectory", "*", IDS_ERR_CREATE_DIR, false, true},
        DirFailure{"SetAttributes", "NWSetNSEntryDOSInfo", "*", IDS_ERR_SET_ATTRIBUTES, false,
                   true}),
    [](const ::testing::TestParamInfo<DirFailure>& info) { return info.param.name; });

// A directory whose trustees could not be set is refused even when the answer is Yes; without
// Directory Services on both sides no transfer is tried.
TEST_F(DirCreationTest, TrusteeFailureRefusesTheDirectory) {
    Prepare(Fault("NWIntScanForTrustees", "*", 0x89FF));
    CopyOptions.CopyTrustees = 1;
    EXPECT_TRUE(CreateDestinationDirectory(kSource, kTarget));
    EXPECT_TRUE(ui.boxes.empty());

    CopyRun.SourceIsDirectoryServices = true;
    ui.answers = {win::IDYES};
    EXPECT_FALSE(CreateDestinationDirectory(kSource, kTarget));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, AskText(IDS_ERR_SET_TRUSTEES, kTarget.c_str()));
}

}  // namespace
