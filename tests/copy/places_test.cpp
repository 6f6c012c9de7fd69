// One place, whatever spelling reaches it; two entries, however alike their names.
#include "copy/places.h"

#include <gtest/gtest.h>

#include "tests/support/engine_state.h"
#include "tests/support/test_network.h"

namespace {

const char* kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"
[workstation.drives]
F = '\\HQ\DATA'
X = '\\HQ\DATA\APPS'

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "DOS"
  long_names = false

[[server]]
name = "BRANCH"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
)";

class PlacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEngineState();
        net_.WriteFile("HQ/DATA/Long Directory/File Name.txt", "x");
        net_.WriteFile("HQ/DATA/Long Directory/Same.txt", "a");
        net_.WriteFile("HQ/DATA/Long Directory/SAME.TXT", "b");
        net_.WriteFile("HQ/DATA/APPS/TOOLS/Setup.exe", "s");
        net_.WriteFile("HQ/DOS/REPORTS/Q1.TXT", "q");
        net_.WriteFile("BRANCH/DATA/Long Directory/File Name.txt", "x");
        net_.Install();
    }
    void TearDown() override { SetNetWare(nullptr); }

    std::string Key(const std::string& path) {
        Place place;
        EXPECT_TRUE(ResolvePlace(path, &place)) << path;
        return place.Key();
    }

    TestNetwork net_{kNetwork};
};

TEST_F(PlacesTest, EverySpellingOfAnEntryIsOnePlace) {
    const std::string file = R"(\\HQ\DATA\Long Directory\File Name.txt)";
    ASSERT_EQ(Key(file), file);
    const char* spellings[] = {
        R"(\\HQ\DATA\LONGDI~1\FILENA~1.TXT)",           // 8.3 aliases
        R"(\\HQ\DATA\LONGDI~1\File Name.txt)",          // an alias and a long name mixed
        R"(\\hq\data\long directory\FILE NAME.TXT)",    // any case, server and volume included
        R"(\\HQ\DATA\\Long Directory\\File Name.txt)",  // doubled backslashes
        R"(\\HQ\DATA\Long Directory\File Name.txt\)",   // a trailing one
        R"(F:\Long Directory\File Name.txt)",           // a drive mapped to the volume
        R"(f:\longdi~1\filena~1.txt)",
    };
    for (const char* spelling : spellings)
        EXPECT_EQ(Key(spelling), file) << spelling;
    EXPECT_EQ(Key(net_.LocalPath("HQ/DATA/Long Directory/File Name.txt")), file);
}

TEST_F(PlacesTest, RootsAndDrivesMappedBelowThemNameTheirOwnPlaces) {
    EXPECT_EQ(Key(R"(\\HQ\DATA)"), R"(\\HQ\DATA)");
    EXPECT_EQ(Key(R"(\\hq\data\)"), R"(\\HQ\DATA)");
    EXPECT_EQ(Key(R"(F:\)"), R"(\\HQ\DATA)");
    EXPECT_EQ(Key(R"(X:\)"), R"(\\HQ\DATA\APPS)");
    EXPECT_EQ(Key(R"(x:\tools\SETUP.EXE)"), R"(\\HQ\DATA\APPS\TOOLS\Setup.exe)");
    // The same names on another server are another place.
    EXPECT_NE(Key(R"(\\BRANCH\DATA\Long Directory\File Name.txt)"),
              Key(R"(\\HQ\DATA\Long Directory\File Name.txt)"));
    EXPECT_EQ(Key(R"(\\HQ\DOS\reports\q1.txt)"), R"(\\HQ\DOS\REPORTS\Q1.TXT)");
}

TEST_F(PlacesTest, NamesThatDifferOnlyInCaseAreTwoPlaces) {
    EXPECT_EQ(Key(R"(\\HQ\DATA\Long Directory\Same.txt)"), R"(\\HQ\DATA\Long Directory\Same.txt)");
    EXPECT_EQ(Key(R"(\\HQ\DATA\Long Directory\SAME.TXT)"), R"(\\HQ\DATA\Long Directory\SAME.TXT)");
}

TEST_F(PlacesTest, WhatDoesNotExistIsKeptAsWrittenBelowWhatDoes) {
    EXPECT_EQ(Key(R"(\\HQ\DATA\LONGDI~1\New Folder\deeper)"),
              R"(\\HQ\DATA\Long Directory\New Folder\deeper)");
    Place place;
    EXPECT_FALSE(ResolvePlace("/tmp/not/on/the/network", &place));
    EXPECT_FALSE(ResolvePlace(R"(C:\TMP)", &place));
    EXPECT_FALSE(ResolvePlace(R"(\\NOSUCH\DATA\x)", &place));
}

TEST_F(PlacesTest, TheSourcesOfARunAreFoundAroundAndInsideAPlace) {
    SourcePlaces sources;
    sources.Set({R"(\\HQ\DATA\LONGDI~1\FILENA~1.TXT)"}, {R"(\\HQ\DATA\APPS\TOOLS)"});
    auto place = [this](const std::string& path) {
        Place p;
        EXPECT_TRUE(ResolvePlace(path, &p));
        return p;
    };
    // Is, or lies inside, a dropped item.
    EXPECT_EQ(sources.Holding(place(R"(\\HQ\DATA\Long Directory\file name.txt)")),
              R"(\\HQ\DATA\LONGDI~1\FILENA~1.TXT)");
    EXPECT_EQ(sources.Holding(place(R"(X:\TOOLS\new\place)")), R"(\\HQ\DATA\APPS\TOOLS)");
    EXPECT_EQ(sources.Holding(place(R"(\\HQ\DATA\APPS)")), "");
    // Holds a dropped item.
    EXPECT_EQ(sources.Inside(place(R"(\\HQ\DATA\APPS)")), R"(\\HQ\DATA\APPS\TOOLS)");
    EXPECT_EQ(sources.Inside(place(R"(\\HQ\DATA)")), R"(\\HQ\DATA\LONGDI~1\FILENA~1.TXT)");
    EXPECT_EQ(sources.Inside(place(R"(\\HQ\DATA\APPS\TOOLS)")), "") << "strictly inside";
    EXPECT_FALSE(sources.Overlaps(place(R"(\\HQ\DATA\Long Directory\SAME.TXT)")));
    EXPECT_FALSE(sources.Overlaps(place(R"(\\BRANCH\DATA\Long Directory\File Name.txt)")));
    EXPECT_TRUE(sources.Overlaps(place(R"(\\HQ\DATA)")));
}

}  // namespace
