// The dry run: the plan it prints agrees, line for line, with what the real run then does on
// the same network, and the network is as it was after the plan.
#include "dryrun/dry_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "dryrun/forwarding_client.h"
#include "dryrun/forwarding_files.h"
#include "tests/copy/run_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What the real run does, written as the plan writes it (upper-cased: the real calls do not
// carry the engine's spelling). Skips come from the engine's observer, with the reasons the
// plan must give.
class ActionRecorder : public RunObserver {
  public:
    std::vector<std::string> lines;
    std::string lastSource;

    void Add(const std::string& line) { lines.push_back(Upper(line)); }

    void FileSkipped(const std::string& source, const std::string& destination,
                     SkipReason reason) override {
        static const std::map<SkipReason, const char*> kReasons = {
            {SkipReason::NotOnDestination, "not on destination"},
            {SkipReason::ExistsOnDestination, "exists on destination"},
            {SkipReason::NewerOnDestination, "newer on destination"},
            {SkipReason::SameTimeOnDestination, "same time on destination"},
            {SkipReason::AnsweredNo, "answered No"},
            {SkipReason::Cancelled, "cancelled"},
            {SkipReason::NoRoom, "no room on destination"}};
        Add("[plan] " + ServerOf(destination) + " skip " + source + " -> " + destination + " | " +
            kReasons.at(reason));
    }

    static std::string ServerOf(const std::string& path) {
        return path.substr(2, path.find('\\', 2) - 2);
    }
};

class RecordingClient : public dryrun::ForwardingClient {
  public:
    RecordingClient(NetWareClient& inner, ActionRecorder& recorder)
        : ForwardingClient(inner), recorder_(recorder) {}

    NWCCODE NWCreateDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, const char* path,
                              std::uint8_t mask) override {
        const NWCCODE code = inner_.NWCreateDirectory(conn, dirHandle, path, mask);
        if (code == 0)
            recorder_.Add("[plan] " + Server(conn) + " mkdir " + Full(conn, path));
        return code;
    }
    NWCCODE NWDeleteDirectory(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle,
                              const char* path) override {
        const NWCCODE code = inner_.NWDeleteDirectory(conn, dirHandle, path);
        if (code == 0)
            recorder_.Add("[plan] " + Server(conn) + " rmdir " + Full(conn, path));
        return code;
    }
    NWCCODE NWOpenNSEntry(NWCONN_HANDLE conn, NWDIR_HANDLE dirHandle, std::uint8_t nameSpace,
                          std::uint8_t dataStream, const char* path, NW_NS_OPENCREATE* request,
                          win::HANDLE* fileHandle) override {
        const NWCCODE code =
            inner_.NWOpenNSEntry(conn, dirHandle, nameSpace, dataStream, path, request, fileHandle);
        if (code == 0 && request->openCreateMode == nw::OC_MODE_OPEN &&
            !(request->accessRights & nw::AR_WRITE))
            recorder_.lastSource = Full(conn, path);
        return code;
    }

  private:
    std::string Server(NWCONN_HANDLE conn) {
        char name[nw::kNameSize] = {};
        inner_.NWGetFileServerName(conn, name);
        return name;
    }
    std::string Full(NWCONN_HANDLE conn, const std::string& relative) {
        std::string rest = relative;
        std::replace(rest.begin(), rest.end(), ':', '\\');
        return "\\\\" + Server(conn) + "\\" + rest;
    }
    ActionRecorder& recorder_;
};

class RecordingFiles : public dryrun::ForwardingFiles {
  public:
    RecordingFiles(win::FileServices& inner, ActionRecorder& recorder)
        : ForwardingFiles(inner), recorder_(recorder) {}

    bool MoveFileEx(const char* from, const char* to, std::uint32_t flags) override {
        const bool existed = inner_.GetFileAttributes(to) != win::INVALID_FILE_ATTRIBUTES;
        const bool moved = inner_.MoveFileEx(from, to, flags);
        if (moved)
            recorder_.Add("[plan] " + ActionRecorder::ServerOf(to) +
                          (existed ? " replace " : " copy ") + recorder_.lastSource + " -> " + to);
        return moved;
    }
    bool DeleteFile(const char* path) override {
        const bool deleted = inner_.DeleteFile(path);
        const std::string name = dryrun::LastName(path);
        if (deleted && Upper(name).rfind("FCT", 0) != 0)
            recorder_.Add("[plan] " + ActionRecorder::ServerOf(path) + " delete " + path);
        return deleted;
    }

  private:
    ActionRecorder& recorder_;
};

class DryRunTest : public RunFixture {
  protected:
    // Everything a run could change: every entry's place, kind, bytes, time and NetWare
    // metadata (as farcast-netsim stat prints it).
    std::string Digest() {
        std::ostringstream digest;
        std::vector<fs::path> entries;
        for (auto it = fs::recursive_directory_iterator(Net().Root());
             it != fs::recursive_directory_iterator(); ++it) {
            if (it->path().filename() == ".netsim") {
                it.disable_recursion_pending();
                continue;
            }
            entries.push_back(it->path());
        }
        std::sort(entries.begin(), entries.end());
        for (const fs::path& entry : entries) {
            struct stat st {};
            ::lstat(entry.c_str(), &st);
            const std::string relative = fs::relative(entry, Net().Root()).string();
            digest << relative << " mode=" << st.st_mode << " mtime=" << st.st_mtim.tv_sec << "."
                   << st.st_mtim.tv_nsec;
            if (S_ISREG(st.st_mode))
                digest << " bytes=" << ReadLocal(entry.string());
            digest << '\n';
            if (std::count(relative.begin(), relative.end(), '/') >= 2)
                digest << Net().Stat(entry.string());
        }
        return digest.str();
    }

    // The tree of the comparison: creations, replacements, skips (newer, same time) and, with
    // synchronisation, deletions of files and of a whole directory.
    void MakeTree() {
        const std::int64_t older = 1500000000, newer = 1600000000, later = 1700000000;
        Net().WriteFile("HQ/DATA/SRC/PROJ/a.txt", "new file", newer);
        Net().WriteFile("HQ/DATA/SRC/PROJ/b.txt", "replacement", newer);
        Net().WriteFile("HQ/DATA/SRC/PROJ/c.txt", "source", newer);
        Net().WriteFile("HQ/DATA/SRC/PROJ/same.txt", "same", newer);
        Net().WriteFile("HQ/DATA/SRC/PROJ/Sub Dir/d.txt", "deep", newer);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/b.txt", "old", older);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/c.txt", "newer on destination", later);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/same.txt", "same", newer);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/old.txt", "extra", older);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/stale/x.txt", "extra", older);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/stale/deeper/y.txt", "extra", older);
        // A read-only destination file: replaced all the same (its attributes are reset first).
        Net().WriteFile("HQ/DATA/SRC/PROJ/ro.txt", "fresh", newer);
        Net().WriteFile("ALPHA/DATA/DEST/PROJ/ro.txt", "stale", older);
        Net().Install();
        std::string error;
        ASSERT_TRUE(
            Net().Net().SetAttributes(Net().LocalPath("ALPHA/DATA/DEST/PROJ/ro.txt"), 0x21, &error))
            << error;
        CopyOptions.OverwriteOlder = 1;
        CopyOptions.SyncDirs = 1;
        CopyOptions.CopyAttributes = 1;
    }

    // The boxes' texts and answers and the server records, which a dry run shows as the real
    // run would.
    std::string Outcome() {
        std::ostringstream out;
        for (const auto& box : ui.boxes)
            out << box.caption << '|' << box.text << '|' << box.answer << '\n';
        for (const ServerResult& r : CopyRun.ServerResults)
            out << r.name << ' ' << static_cast<int>(r.status) << ' ' << r.files.ToU64() << ' '
                << r.bytes.ToU64() << ' ' << r.errors << ' ' << r.deletedFiles.ToU64() << ' '
                << r.deletedDirectories.ToU64() << '\n';
        return out.str();
    }

    void RunDry(const std::vector<std::string>& drop, std::ostringstream* plan) {
        DryRun dry(Net().Net().Client(), Net().Net().FileServices(), *plan);
        dry.Install();
        RunCopy(drop);
    }

    void RunRecorded(const std::vector<std::string>& drop, ActionRecorder* recorder) {
        RecordingClient client(Net().Net().Client(), *recorder);
        RecordingFiles files(Net().Net().FileServices(), *recorder);
        SetNetWare(&client);
        win::SetFiles(&files);
        SetRunObserver(recorder);
        RunCopy(drop);
        SetRunObserver(nullptr);
        Net().Install();
    }
};

TEST_F(DryRunTest, PlanAgreesWithTheRealRunAndChangesNothing) {
    Start();
    Select({"ALPHA", "BETA"});
    MakeTree();
    const std::vector<std::string> drop = {"\\\\HQ\\DATA\\SRC\\PROJ"};
    const std::string before = Digest();

    std::ostringstream plan;
    RunDry(drop, &plan);
    EXPECT_EQ(Digest(), before) << "the dry run changed the network";
    const std::string planned = Outcome();

    ui.boxes.clear();
    ActionRecorder real;
    RunRecorded(drop, &real);

    std::vector<std::string> planLines = Lines(plan.str());
    for (std::string& line : planLines)
        line = Upper(line);
    ASSERT_GE(real.lines.size(), 15u) << "both servers acted";
    EXPECT_EQ(planLines, real.lines);
    EXPECT_NE(Digest(), before) << "the real run changed the network";
    EXPECT_EQ(Outcome(), planned) << "the same boxes, answers and server records";
    // The real run did what the plan said.
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/PROJ/b.txt"), "replacement");
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/PROJ/c.txt"), "newer on destination");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/PROJ/stale"));
    EXPECT_EQ(Net().ReadFile("BETA/DATA/DEST/PROJ/Sub Dir/d.txt"), "deep");
}

TEST_F(DryRunTest, PlanLinesNameEachActionAsTheEngineSpellsIt) {
    Start();
    Select({"ALPHA"});
    MakeTree();
    std::ostringstream plan;
    RunDry({"\\\\HQ\\DATA\\SRC\\PROJ"}, &plan);
    EXPECT_EQ(
        plan.str(),
        "[plan] ALPHA copy \\\\HQ\\DATA\\SRC\\PROJ\\a.txt -> \\\\ALPHA\\DATA\\DEST\\PROJ\\a.txt\n"
        "[plan] ALPHA replace \\\\HQ\\DATA\\SRC\\PROJ\\b.txt -> "
        "\\\\ALPHA\\DATA\\DEST\\PROJ\\b.txt\n"
        "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\PROJ\\c.txt -> \\\\ALPHA\\DATA\\DEST\\PROJ\\c.txt"
        " | newer on destination\n"
        "[plan] ALPHA replace \\\\HQ\\DATA\\SRC\\PROJ\\ro.txt -> "
        "\\\\ALPHA\\DATA\\DEST\\PROJ\\ro.txt\n"
        "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\PROJ\\same.txt -> "
        "\\\\ALPHA\\DATA\\DEST\\PROJ\\same.txt | same time on destination\n"
        "[plan] ALPHA mkdir \\\\ALPHA\\DATA\\DEST\\PROJ\\Sub Dir\n"
        "[plan] ALPHA copy \\\\HQ\\DATA\\SRC\\PROJ\\Sub Dir\\d.txt -> "
        "\\\\ALPHA\\DATA\\DEST\\PROJ\\Sub Dir\\d.txt\n"
        "[plan] ALPHA delete \\\\ALPHA\\DATA\\DEST\\PROJ\\old.txt\n"
        "[plan] ALPHA delete \\\\ALPHA\\DATA\\DEST\\PROJ\\stale\\deeper\\y.txt\n"
        "[plan] ALPHA rmdir \\\\ALPHA\\DATA\\DEST\\PROJ\\stale\\deeper\n"
        "[plan] ALPHA delete \\\\ALPHA\\DATA\\DEST\\PROJ\\stale\\x.txt\n"
        "[plan] ALPHA rmdir \\\\ALPHA\\DATA\\DEST\\PROJ\\stale\n");
    EXPECT_EQ(CopyRun.RunFilesUpdated.ToU64(), 4u);
    EXPECT_EQ(CopyRun.RunFilesDeleted.ToU64(), 3u);
}

TEST_F(DryRunTest, AnswersAreTakenAsInTheRealRun) {
    Start();
    Select({"ALPHA"});
    MakeTree();
    CopyOptions.OverwriteOlder = 0;
    CopyOptions.PromptOnOverwrite = 1;
    CopyOptions.PromptOnDeletion = 1;
    // b.txt: No; c.txt: Yes; then the rest go on; the first deletion question: No.
    const std::vector<int> answers = {win::IDNO, win::IDYES, win::IDYES, win::IDYES, win::IDNO};
    ui.answers.assign(answers.begin(), answers.end());
    std::ostringstream plan;
    RunDry({"\\\\HQ\\DATA\\SRC\\PROJ"}, &plan);
    const std::vector<std::string> lines = Lines(plan.str());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(
        lines[1],
        "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\PROJ\\b.txt -> \\\\ALPHA\\DATA\\DEST\\PROJ\\b.txt"
        " | answered No");
    EXPECT_EQ(lines[2],
              "[plan] ALPHA replace \\\\HQ\\DATA\\SRC\\PROJ\\c.txt -> "
              "\\\\ALPHA\\DATA\\DEST\\PROJ\\c.txt");
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "[plan] ALPHA delete \\\\ALPHA\\DATA\\DEST\\PROJ\\old.txt"),
              0)
        << "the deletion answered No is not planned";
    EXPECT_EQ(ui.CountBoxes("Do you want to delete \\\\ALPHA\\DATA\\DEST\\PROJ\\old.txt?"), 1);
}

TEST_F(DryRunTest, APlannedDirectoryCanBeEnteredAndIsEmpty) {
    Start();
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    std::ostringstream plan;
    DryRun dry(Net().Net().Client(), Net().Net().FileServices(), plan);
    dry.Install();
    NWCONN_HANDLE conn = 0;
    NWDIR_HANDLE handle = 0;
    char relative[win::MAX_PATH] = {};
    ASSERT_EQ(NetWare().NWParseNetWarePath("\\\\ALPHA\\DATA\\DEST\\NEW", &conn, &handle, relative),
              0u);
    ASSERT_EQ(NetWare().NWCreateDirectory(conn, handle, relative, 0xFB), 0u);
    EXPECT_EQ(plan.str(), "[plan] ALPHA mkdir \\\\ALPHA\\DATA\\DEST\\NEW\n");
    EXPECT_FALSE(Net().Exists("ALPHA/DATA/DEST/NEW"));
    EXPECT_EQ(NetWare().NWCreateDirectory(conn, handle, relative, 0xFB), nw::FILE_EXISTS);

    EXPECT_EQ(win::Files().GetFileAttributes("\\\\ALPHA\\DATA\\DEST\\new"),
              win::FILE_ATTRIBUTE_DIRECTORY);
    win::FindData data;
    const win::HANDLE find = win::Files().FindFirstFile("\\\\ALPHA\\DATA\\DEST\\NEW\\*.*", &data);
    ASSERT_NE(find, win::INVALID_HANDLE_VALUE);
    std::vector<std::string> names = {data.fileName};
    while (win::Files().FindNextFile(find, &data))
        names.push_back(data.fileName);
    win::Files().FindClose(find);
    EXPECT_EQ(names, (std::vector<std::string>{".", ".."}));
    // Inside it nothing is there, and one more level down not even the directory.
    EXPECT_EQ(win::Files().GetFileAttributes("\\\\ALPHA\\DATA\\DEST\\NEW\\X"),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win::Files().GetFileAttributes("\\\\ALPHA\\DATA\\DEST\\NEW\\X\\Y"),
              win::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(win::Files().GetLastError(), win::ERROR_PATH_NOT_FOUND);
}

TEST_F(DryRunTest, APlannedCopyReadsAsTheSourcesSizeAndTime) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "twelve bytes", 1600000000);
    Net().WriteFile("ALPHA/DATA/DEST/A.TXT", "old", 1500000000);
    // Dropped twice: the second time the destination already carries the source's time.
    CopyOptions.OverwriteOlder = 1;
    std::ostringstream plan;
    DryRun dry(Net().Net().Client(), Net().Net().FileServices(), plan);
    dry.Install();
    RunCopy({"\\\\HQ\\DATA\\SRC\\A.TXT", "\\\\HQ\\DATA\\SRC\\A.TXT"});
    EXPECT_EQ(plan.str(),
              "[plan] ALPHA replace \\\\HQ\\DATA\\SRC\\A.TXT -> \\\\ALPHA\\DATA\\DEST\\A.TXT\n"
              "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\A.TXT -> \\\\ALPHA\\DATA\\DEST\\A.TXT | same "
              "time on destination\n");
    win::FindData data;
    const win::HANDLE find = win::Files().FindFirstFile("\\\\ALPHA\\DATA\\DEST\\A.TXT", &data);
    ASSERT_NE(find, win::INVALID_HANDLE_VALUE);
    win::Files().FindClose(find);
    EXPECT_EQ(data.size, 12u);
    EXPECT_EQ(data.lastWriteTime, 1600000000);
    EXPECT_EQ(Net().ReadFile("ALPHA/DATA/DEST/A.TXT"), "old");
}

TEST_F(DryRunTest, TheLogFileIsNeitherCreatedNorWritten) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/A.TXT", "a");
    const std::string log = UseLogFile();
    CopyOptions.VerboseLogging = 1;
    std::ostringstream plan;
    RunDry({"\\\\HQ\\DATA\\SRC\\A.TXT"}, &plan);
    EXPECT_TRUE(SummaryShown());
    EXPECT_FALSE(fs::exists(log));

    std::ofstream(log) << "earlier runs\r\n";
    RunDry({"\\\\HQ\\DATA\\SRC\\A.TXT"}, &plan);
    EXPECT_EQ(ReadLocal(log), "earlier runs\r\n");

    // A log the real run could not open ends the dry run the same way.
    CopyOptions.LogFileName = ::testing::TempDir() + "no-such-directory/run.log";
    ui.boxes.clear();
    RunDry({"\\\\HQ\\DATA\\SRC\\A.TXT"}, &plan);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "ERROR - Unable to open log file " + CopyOptions.LogFileName + ".");
    EXPECT_FALSE(LastRunReachedSummary());
}

TEST_F(DryRunTest, ADirectoryWithAFileKeptIsNotRemoved) {
    Start();
    Select({"ALPHA"});
    Net().WriteFile("HQ/DATA/SRC/PROJ/a.txt", "a");
    Net().WriteFile("ALPHA/DATA/DEST/PROJ/stale/keep.txt", "k");
    Net().WriteFile("ALPHA/DATA/DEST/PROJ/stale/go.txt", "g");
    CopyOptions.SyncDirs = 1;
    CopyOptions.PromptOnDeletion = 1;
    // go.txt: Yes; keep.txt: No; the directory: Yes, which then cannot be removed.
    ui.answers = {win::IDYES, win::IDNO, win::IDYES, win::IDYES};
    std::ostringstream plan;
    RunDry({"\\\\HQ\\DATA\\SRC\\PROJ"}, &plan);
    const std::vector<std::string> lines = Lines(plan.str());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "[plan] ALPHA delete \\\\ALPHA\\DATA\\DEST\\PROJ\\stale\\go.txt"),
              lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(),
                        "[plan] ALPHA rmdir \\\\ALPHA\\DATA\\DEST\\PROJ\\stale"),
              lines.end());
    EXPECT_EQ(ui.CountBoxes("Unable to delete \\\\ALPHA\\DATA\\DEST\\PROJ\\stale, do you want to "
                            "continue synchronizing files on this server?"),
              1);
    EXPECT_TRUE(Net().Exists("ALPHA/DATA/DEST/PROJ/stale/go.txt"));
}

// The decisions no call shows, each with the reason the plan gives, as the real run takes
// them.
TEST_F(DryRunTest, SkipsByPolicyAndAnswerGiveTheirReasons) {
    const std::string skipB =
        "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\PROJ\\b.txt -> \\\\ALPHA\\DATA\\DEST\\PROJ\\b.txt | ";
    const std::string skipA =
        "[plan] ALPHA skip \\\\HQ\\DATA\\SRC\\PROJ\\a.txt -> \\\\ALPHA\\DATA\\DEST\\PROJ\\a.txt | ";
    struct Case {
        const char* option;
        std::string line;
    } cases[] = {
        {"NeverOverwrite", skipB + "exists on destination"},
        {"OnlyCopyExistingFiles", skipA + "not on destination"},
        {"PromptOnOverwrite", skipB + "cancelled"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        Start();
        Select({"ALPHA"});
        MakeTree();
        CopyOptions.OverwriteOlder = 0;
        CopyOptions.SyncDirs = 0;
        CopyOptions.NeverOverwrite = std::string(c.option) == "NeverOverwrite";
        CopyOptions.OnlyCopyExistingFiles = std::string(c.option) == "OnlyCopyExistingFiles";
        CopyOptions.PromptOnOverwrite = std::string(c.option) == "PromptOnOverwrite";
        ui.answers = {win::IDCANCEL};
        std::ostringstream plan;
        RunDry({"\\\\HQ\\DATA\\SRC\\PROJ"}, &plan);
        const std::vector<std::string> lines = Lines(plan.str());
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << plan.str();
        TearDown();
    }
}

// Space the plan has taken counts: the second file no longer fits, in the plan as on the disk.
TEST_F(DryRunTest, APlannedCopyTakesRoomOnTheVolume) {
    Start(R"(
[[server]]
name = "TINY"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  block_size = 4096
  total_blocks = 3
)");
    Net().MakeDir("TINY/DATA/DEST");
    Select({"TINY"});
    Net().WriteFile("HQ/DATA/SRC/ONE.BIN", std::string(6000, '1'));
    Net().WriteFile("HQ/DATA/SRC/TWO.BIN", std::string(6000, '2'));
    const std::vector<std::string> drop = {"\\\\HQ\\DATA\\SRC\\ONE.BIN",
                                           "\\\\HQ\\DATA\\SRC\\TWO.BIN"};
    std::ostringstream plan;
    RunDry(drop, &plan);
    EXPECT_EQ(plan.str(),
              "[plan] TINY copy \\\\HQ\\DATA\\SRC\\ONE.BIN -> \\\\TINY\\DATA\\DEST\\ONE.BIN\n"
              "[plan] TINY skip \\\\HQ\\DATA\\SRC\\TWO.BIN -> \\\\TINY\\DATA\\DEST\\TWO.BIN | no "
              "room on destination\n");
    Net().Install();
    RunCopy(drop);
    EXPECT_TRUE(Net().Exists("TINY/DATA/DEST/ONE.BIN"));
    EXPECT_FALSE(Net().Exists("TINY/DATA/DEST/TWO.BIN"));
}

}  // namespace
