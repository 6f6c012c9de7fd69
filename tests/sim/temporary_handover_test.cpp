// A temporary file keeps the descriptor it was made with until the copy opens it: that open
// takes the descriptor over instead of opening the file again by name, but only when the name
// still holds that very file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "netware/sim/held_directories.h"
#include "tests/sim/sim_fixture.h"

namespace {

using sim::FileDescriptor;

class TemporaryHandoverTest : public SimTest {
  protected:
    win::FileServices& F() { return win::Files(); }

    // How many of this process's descriptors refer to the file now at that local path.
    static int DescriptorsOf(const std::string& local) {
        struct stat want {};
        if (::stat(local.c_str(), &want) != 0)
            return 0;
        int count = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            struct stat st {};
            if (::stat(fd.path().c_str(), &st) == 0 && st.st_dev == want.st_dev &&
                st.st_ino == want.st_ino)
                ++count;
        }
        return count;
    }
    // The local path of a temporary file in HQ/DATA/PROJ.
    std::string LocalOf(const char* temporary) const {
        const std::string name = std::string(temporary).substr(std::strlen(R"(\\HQ\DATA\PROJ\)"));
        return net_.LocalPath("HQ/DATA/PROJ/" + name);
    }
    static std::string ReadLocal(const std::string& local) {
        std::ifstream in(local, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool WriteThrough(win::HANDLE h, const std::string& content) {
        std::uint32_t n = 0;
        return F().WriteFile(h, content.data(), static_cast<std::uint32_t>(content.size()), &n) &&
               n == content.size();
    }
};

TEST_F(TemporaryHandoverTest, TheOpenOfANewTemporaryFileTakesOverItsDescriptor) {
    struct Case {
        const char* what;
        std::uint32_t access;
        int heldWhileOpen;  // descriptors on the file while the copy has it open
        int heldAfterClose;
    };
    const Case cases[] = {
        {"written", win::GENERIC_WRITE, 1, 0},
        {"read and written", win::GENERIC_READ | win::GENERIC_WRITE, 1, 0},
        // A reading open opens its own; the made one waits for a writing open still.
        {"only read", win::GENERIC_READ, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        char temporary[win::MAX_PATH] = {};
        ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);
        const std::string local = LocalOf(temporary);
        EXPECT_EQ(DescriptorsOf(local), 1);
        const bool writes = c.access & win::GENERIC_WRITE;
        {
            win::ScopedHandle h(F().CreateFile(
                temporary, c.access, 0, writes ? win::TRUNCATE_EXISTING : win::OPEN_EXISTING, 0));
            ASSERT_TRUE(h.Valid()) << F().GetLastError();
            EXPECT_EQ(DescriptorsOf(local), c.heldWhileOpen);
            if (writes) {
                EXPECT_TRUE(WriteThrough(h.Get(), "copied"));
            }
        }
        EXPECT_EQ(DescriptorsOf(local), c.heldAfterClose);
        EXPECT_EQ(ReadLocal(local), writes ? "copied" : "");
        EXPECT_TRUE(F().DeleteFile(temporary)) << F().GetLastError();
        EXPECT_FALSE(std::filesystem::exists(local));
    }
}

// Another program puts its own file under the temporary file's name before the copy opens it:
// the open works on the file the name holds, and the file made earlier is never written.
TEST_F(TemporaryHandoverTest, ATemporaryFileReplacedBeforeItsOpenIsNotWrittenThroughTheOldOne) {
    char temporary[win::MAX_PATH] = {};
    ASSERT_NE(F().GetTempFileName(R"(\\HQ\DATA\PROJ)", "FCT", 0, temporary), 0u);
    const std::string local = LocalOf(temporary);
    FileDescriptor made(::open(local.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(made.Valid());
    net_.WriteFile("HQ/DATA/PROJ/by hand.txt", "by hand");
    ASSERT_EQ(std::rename(net_.LocalPath("HQ/DATA/PROJ/by hand.txt").c_str(), local.c_str()), 0);

    {
        win::ScopedHandle h(
            F().CreateFile(temporary, win::GENERIC_WRITE, 0, win::TRUNCATE_EXISTING, 0));
        ASSERT_TRUE(h.Valid()) << F().GetLastError();
        EXPECT_TRUE(WriteThrough(h.Get(), "copied"));
    }
    EXPECT_EQ(ReadLocal(local), "copied");
    struct stat old {};
    ASSERT_EQ(::fstat(made.Get(), &old), 0);
    EXPECT_EQ(old.st_size, 0);
    EXPECT_EQ(old.st_nlink, 0u);  // gone from the directory, as the rename left it
}

}  // namespace
