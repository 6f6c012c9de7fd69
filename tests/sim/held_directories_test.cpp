// Links planted under a volume are never followed: entries are reached relative to held
// directories with the kernel refusing links, so a directory swapped for a link between a
// check and its use is refused too. The same holds where the kernel has no openat2 and the
// names are walked one by one.
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "netware/sim/held_directories.h"
#include "tests/sim/sim_fixture.h"

namespace {

namespace fs = std::filesystem;

// A directory outside the network that links point to: nothing may ever change in it.
class Outside {
  public:
    explicit Outside(const std::string& root)
        : dir_(fs::path(root).parent_path() / ("outside-" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
        std::ofstream(dir_ + "/a.txt") << "outside";
    }
    ~Outside() { fs::remove_all(dir_); }
    Outside(const Outside&) = delete;
    Outside& operator=(const Outside&) = delete;
    const std::string& Dir() const { return dir_; }
    // Every name it holds and the bytes of each file.
    std::string Contents() const {
        std::string out;
        for (const auto& e : fs::recursive_directory_iterator(dir_)) {
            out += e.path().string() + "\n";
            if (e.is_regular_file()) {
                std::ifstream in(e.path());
                out += std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
            }
        }
        return out;
    }

  private:
    std::string dir_;
};

class HeldDirectoriesTest : public SimTest, public testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        sim::WalkNamesOneByOne(GetParam());
    }
    void TearDown() override {
        sim::WalkNamesOneByOne(false);
        SimTest::TearDown();
    }
    win::FileServices& F() { return win::Files(); }
    // Every kind of call a copy or a synchronisation makes in the directory; failures are
    // expected, following a link is not.
    void ActIn(const std::string& dir, int round) {
        const std::string name = dir + "\\f" + std::to_string(round) + ".txt";
        {
            win::ScopedHandle h(
                F().CreateFile(name.c_str(), win::GENERIC_WRITE, 0, win::CREATE_NEW, 0));
            std::uint32_t n = 0;
            if (h.Valid())
                F().WriteFile(h.Get(), "run", 3, &n);
        }
        {
            win::ScopedHandle h(F().CreateFile((dir + "\\a.txt").c_str(), win::GENERIC_READ,
                                               win::FILE_SHARE_READ, win::OPEN_EXISTING, 0));
        }
        char temporary[win::MAX_PATH] = {};
        if (F().GetTempFileName(dir.c_str(), "FCT", 0, temporary) != 0)
            F().MoveFileEx(temporary, (dir + "\\a.txt").c_str(), win::MOVEFILE_REPLACE_EXISTING);
        F().SetFileAttributes(name.c_str(), win::FILE_ATTRIBUTE_HIDDEN);
        F().CreateDirectory((dir + "\\sub" + std::to_string(round)).c_str());
        F().DeleteFile(name.c_str());
        win::FindData data;
        win::ScopedFind find(F().FindFirstFile((dir + "\\*").c_str(), &data));
    }
};

TEST_P(HeldDirectoriesTest, ALinkPlantedAnywhereUnderAVolumeIsNeverFollowed) {
    Outside outside(net_.Root());
    const std::string before = outside.Contents();
    net_.MakeDir("HQ/DATA/PROJ/SUB");
    const struct {
        const char* link;  // replaced by a link to the outside directory
        const char* dir;   // where the run acts
    } places[] = {
        {"HQ/DATA/PROJ/SUB", R"(\\HQ\DATA\PROJ\SUB)"},
        {"HQ/DATA/PROJ", R"(\\HQ\DATA\PROJ)"},
        {"HQ/DATA/PROJ", R"(\\HQ\DATA\PROJ\SUB)"},
    };
    int round = 0;
    for (const auto& p : places) {
        SCOPED_TRACE(p.link);
        // Looked at once, so that the run has resolved and holds the real directory.
        ActIn(p.dir, round++);
        const std::string local = net_.LocalPath(p.link);
        fs::rename(local, local + ".real");
        fs::create_directory_symlink(outside.Dir(), local);
        ActIn(p.dir, round++);
        win::FindData data;
        win::ScopedFind find(F().FindFirstFile(R"(\\HQ\DATA\*)", &data));  // a new epoch
        ActIn(p.dir, round++);
        EXPECT_EQ(outside.Contents(), before);
        fs::remove(local);
        fs::rename(local + ".real", local);
    }
}

TEST_P(HeldDirectoriesTest, ADirectorySwappedForALinkBetweenCallsIsNeverFollowed) {
    Outside outside(net_.Root());
    const std::string before = outside.Contents();
    const std::string real = net_.LocalPath("HQ/DATA/PROJ");
    const std::string link = net_.LocalPath("HQ/DATA/SWAP");
    fs::create_directory_symlink(outside.Dir(), link);
    // Another thread swaps the directory and the link, each in one step, as fast as it can,
    // while the run works in the directory and enters it again and again.
    std::atomic<bool> stop = false;
    std::thread swapper([&] {
        while (!stop)
            ::renameat2(AT_FDCWD, real.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE);
    });
    for (int round = 0; round < 200; ++round)
        ActIn(R"(\\HQ\DATA\PROJ)", round);
    stop = true;
    swapper.join();
    EXPECT_EQ(outside.Contents(), before);
}

INSTANTIATE_TEST_SUITE_P(OpenAt2AndNameByName, HeldDirectoriesTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "NameByName" : "OpenAt2";
                         });

}  // namespace
