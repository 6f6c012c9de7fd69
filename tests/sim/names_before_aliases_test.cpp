// A name finds the entry that bears it before any alias is consulted, and no alias equals
// another entry's name: making a name that is another entry's alias (by a program or by hand)
// moves that alias on, and never replaces or opens the other entry.
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "netware/sim/sim_names.h"
#include "resources/string_ids.h"
#include "tests/sim/sim_fixture.h"
#include "util/format_text.h"
#include "util/string_table.h"

namespace {

const std::string kDir = R"(\\HQ\DATA\PROJ\)";
const std::string kLong = kDir + "LongFileName.txt";
const std::string kAliasName = kDir + "LONGFI~1.TXT";

class NamesBeforeAliasesTest : public SimTest {
  protected:
    win::FileServices& F() { return win::Files(); }

    std::string ShortName(const std::string& path) {
        char out[win::kPathBufferSize] = {};
        if (F().GetShortPathName(path.c_str(), out, sizeof out) == 0)
            return "<none>";
        return sim::SplitPath(out, false).back();
    }
    // name -> alternate name of every entry of the directory.
    std::map<std::string, std::string> Listing(const std::string& dir) {
        std::map<std::string, std::string> out;
        win::FindData d;
        win::ScopedFind find(F().FindFirstFile((dir + "*.*").c_str(), &d));
        for (bool more = find.Valid(); more; more = F().FindNextFile(find.Get(), &d))
            if (d.fileName != "." && d.fileName != "..")
                out[d.fileName] = d.alternateFileName;
        return out;
    }
    std::string Read(const std::string& path) {
        win::ScopedHandle h(F().CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ,
                                           win::OPEN_EXISTING, 0));
        std::string out;
        char buffer[256];
        std::uint32_t n = 0;
        while (h.Valid() && F().ReadFile(h.Get(), buffer, sizeof buffer, &n) && n > 0)
            out.append(buffer, n);
        return out;
    }
    bool MakeNew(const std::string& path, const std::string& content) {
        win::ScopedHandle h(
            F().CreateFile(path.c_str(), win::GENERIC_WRITE, 0, win::CREATE_NEW, 0));
        std::uint32_t n = 0;
        return h.Valid() && F().WriteFile(h.Get(), content.data(),
                                          static_cast<std::uint32_t>(content.size()), &n);
    }
    // No entry's alias is the name of another entry of the directory, in any case.
    void ExpectNoAliasIsAnotherName(const std::string& dir) {
        const auto listing = Listing(dir);
        std::set<std::string> names;
        for (const auto& [name, alias] : listing)
            names.insert(sim::Upper(name));
        for (const auto& [name, alias] : listing) {
            if (!alias.empty()) {
                EXPECT_EQ(names.count(alias), 0u) << name << " has alias " << alias;
            }
        }
    }
};

// The three ways a program makes a name: a new file, a directory, a rename onto it.
TEST_F(NamesBeforeAliasesTest, ANameMadeOverAnAliasIsANewEntryAndTheAliasMovesOn) {
    struct Case {
        const char* dir;
        std::function<bool(const std::string& name)> make;
    };
    const std::vector<Case> cases = {
        {"NEWFILE", [&](const std::string& name) { return MakeNew(name, "own"); }},
        {"NEWDIR", [&](const std::string& name) { return F().CreateDirectory(name.c_str()); }},
        {"RENAME",
         [&](const std::string& name) {
             const std::string temporary = kDir + "T.TMP";
             return MakeNew(temporary, "own") &&
                    F().MoveFileEx(temporary.c_str(), name.c_str(), win::MOVEFILE_REPLACE_EXISTING);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        const std::string dir = std::string(R"(\\HQ\DATA\)") + c.dir + "\\";
        const std::string local = std::string("HQ/DATA/") + c.dir + "/";
        net_.WriteFile(local + "LongFileName.txt", "long");
        ASSERT_EQ(ShortName(dir + "LongFileName.txt"), "LONGFI~1.TXT");
        ASSERT_EQ(Read(dir + "LONGFI~1.TXT"), "long") << "the alias reaches the entry";
        ASSERT_TRUE(c.make(dir + "LONGFI~1.TXT"));
        EXPECT_EQ(Read(dir + "LongFileName.txt"), "long");
        EXPECT_TRUE(net_.Exists(local + "LONGFI~1.TXT"));
        EXPECT_EQ(ShortName(dir + "LongFileName.txt"), "LONGFI~2.TXT");
        ExpectNoAliasIsAnotherName(dir);
    }
}

TEST_F(NamesBeforeAliasesTest, ANameMadeByHandOverAnAliasTakesItFromTheEntry) {
    ASSERT_EQ(ShortName(kLong), "LONGFI~1.TXT");
    net_.WriteFile("HQ/DATA/PROJ/LONGFI~1.TXT", "by hand");
    // Until the entry is next used, check says its kept alias is another entry's name.
    const std::vector<std::string> problems = net_.Net().Check();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], FormatText(LoadResString(IDS_SIM_CHECK_ALIAS_IS_NAME),
                                      R"(\\HQ\DATA\PROJ)", "LONGFI~1.TXT", "LongFileName.txt"));
    EXPECT_EQ(Read(kAliasName), "by hand");
    EXPECT_EQ(Read(kDir + "LONGFI~2.TXT"), "long");
    EXPECT_EQ(ShortName(kLong), "LONGFI~2.TXT");
    ExpectNoAliasIsAnotherName(kDir);
    // And after the network is opened again, from the store.
    net_.Close();
    net_.Install();
    EXPECT_EQ(ShortName(kLong), "LONGFI~2.TXT");
    EXPECT_EQ(Read(kAliasName), "by hand");
}

TEST_F(NamesBeforeAliasesTest, ADozenLookAlikeNamesKeepUniqueDosAliases) {
    for (int i = 0; i < 12; ++i)
        net_.WriteFile("HQ/DATA/MANY/Quarterly Report " + std::to_string(i) + ".document",
                       std::to_string(i));
    const auto listing = Listing(R"(\\HQ\DATA\MANY\)");
    ASSERT_EQ(listing.size(), 12u);
    std::set<std::string> aliases;
    for (const auto& [name, alias] : listing) {
        EXPECT_TRUE(sim::IsUpperDosName(alias)) << name << " -> " << alias;
        EXPECT_TRUE(aliases.insert(alias).second) << alias << " given twice";
        EXPECT_EQ(Read(R"(\\HQ\DATA\MANY\)" + alias), name.substr(17, name.size() - 26));
    }
    EXPECT_EQ(aliases.count("QUART~10.DOC"), 1u);
    EXPECT_EQ(aliases.count("QUART~12.DOC"), 1u);
}

}  // namespace
