// A copy's chunks moved by the file services: inside the kernel where they can, through the
// buffer where they cannot, and failing as the read and the write they stand for, with
// [[fault]] rules used up once per chunk.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_services.h"
#include "tests/support/test_network.h"

namespace {

using Step = win::FileServices::ChunkStep;

constexpr std::uint32_t kChunk = 4096;

const char* kNetwork = R"(
[workstation]
primary_server = "HQ"
login_name = "ADMIN"

[[server]]
name = "HQ"
connection = "logged_in"
  [[server.volume]]
  name = "DATA"
  [[server.volume]]
  name = "SMALL"
  block_size = 4096
  total_blocks = 2
  [[server.volume]]
  name = "COMP"
  compression = true
  [[server.user]]
  name = "ADMIN"
  password = "secret"
)";

// Three chunks' worth of bytes that differ from chunk to chunk.
std::string Content() {
    std::string text;
    for (std::uint32_t i = 0; i < 3 * kChunk; ++i)
        text += static_cast<char>('a' + (i / 97) % 26);
    return text;
}

// One chunk's outcome, and whether its bytes went through the buffer.
struct Chunk {
    bool ok;
    Step failed;
    std::uint32_t code;  // GetLastError after a failure
    std::uint32_t read;
    std::uint32_t written;
    bool throughBuffer;
};

bool operator==(const Chunk& a, const Chunk& b) {
    return a.ok == b.ok && a.failed == b.failed && a.code == b.code && a.read == b.read &&
           a.written == b.written && a.throughBuffer == b.throughBuffer;
}

void PrintTo(const Chunk& c, std::ostream* os) {
    *os << "{ok=" << c.ok << " failed=" << static_cast<int>(c.failed) << " code=" << c.code
        << " read=" << c.read << " written=" << c.written << " buffer=" << c.throughBuffer << "}";
}

class CopyChunkTest : public ::testing::Test {
  protected:
    explicit CopyChunkTest(const std::string& extraToml = "") : net_(kNetwork + extraToml) {}

    void SetUp() override {
        net_.WriteFile("HQ/DATA/SRC/BIG.DAT", Content());
        net_.MakeDir("HQ/DATA/DST");
        net_.MakeDir("HQ/SMALL/DST");
        net_.Install();
    }

    static win::HANDLE OpenSource(const std::string& path) {
        return win::Files().CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ,
                                       win::OPEN_EXISTING, 0);
    }
    static win::HANDLE OpenTarget(const std::string& path) {
        return win::Files().CreateFile(path.c_str(), win::GENERIC_WRITE, 0, win::CREATE_ALWAYS, 0);
    }

    // Chunks until one reads nothing or calls have run out, as a copy's loop goes on.
    static std::vector<Chunk> CopyAll(win::HANDLE source, win::HANDLE target, int calls) {
        std::vector<Chunk> out;
        std::vector<char> buffer(kChunk);
        for (int i = 0; i < calls; ++i) {
            std::fill(buffer.begin(), buffer.end(), '\x7f');
            Chunk c{};
            c.ok = win::Files().CopyFileChunk(source, target, buffer.data(), kChunk, &c.read,
                                              &c.written, &c.failed);
            c.code = c.ok ? 0 : win::Files().GetLastError();
            c.throughBuffer = buffer[0] != '\x7f';
            out.push_back(c);
            if (c.ok && c.read == 0)
                break;
        }
        return out;
    }

    TestNetwork net_;
};

const Chunk kInKernel{true, Step::None, 0, kChunk, kChunk, false};
const Chunk kEnd{true, Step::None, 0, 0, 0, false};

TEST_F(CopyChunkTest, AnUncompressedFileIsMovedInsideTheKernel) {
    win::ScopedHandle source(OpenSource(R"(\\HQ\DATA\SRC\BIG.DAT)"));
    win::ScopedHandle target(OpenTarget(R"(\\HQ\DATA\DST\BIG.DAT)"));
    ASSERT_TRUE(source.Valid() && target.Valid());
    EXPECT_EQ(CopyAll(source.Get(), target.Get(), 10),
              (std::vector<Chunk>{kInKernel, kInKernel, kInKernel, kEnd}));
    target.Reset();
    EXPECT_EQ(net_.ReadFile("HQ/DATA/DST/BIG.DAT"), Content());
}

// The rules of the read and the write fire on the chunk as on the two calls, each used up once
// per chunk: a rule for two calls fails two chunks, then the copy goes on inside the kernel.
struct FaultCase {
    const char* name;
    const char* toml;
    std::vector<Chunk> chunks;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class CopyChunkFaultTest : public CopyChunkTest, public ::testing::WithParamInterface<FaultCase> {
  protected:
    CopyChunkFaultTest() : CopyChunkTest(GetParam().toml) {}
};

TEST_P(CopyChunkFaultTest, FiresOncePerChunkAsTheReadOrTheWrite) {
    win::ScopedHandle source(OpenSource(R"(\\HQ\DATA\SRC\BIG.DAT)"));
    win::ScopedHandle target(OpenTarget(R"(\\HQ\DATA\DST\BIG.DAT)"));
    ASSERT_TRUE(source.Valid() && target.Valid());
    EXPECT_EQ(CopyAll(source.Get(), target.Get(), 10), GetParam().chunks);
}

const Chunk kReadRefused{false, Step::Read, 5, 0, 0, false};
const Chunk kWriteRefused{false, Step::Write, 112, kChunk, 0, true};

INSTANTIATE_TEST_SUITE_P(
    Rules, CopyChunkFaultTest,
    ::testing::Values(FaultCase{"ReadOnce",
                                "[[fault]]\ncall = \"ReadFile\"\ncode = 5\ntimes = 1\n",
                                {kReadRefused, kInKernel, kInKernel, kInKernel, kEnd}},
                      FaultCase{
                          "ReadTwice",
                          "[[fault]]\ncall = \"ReadFile\"\ncode = 5\ntimes = 2\n",
                          {kReadRefused, kReadRefused, kInKernel, kInKernel, kInKernel, kEnd}},
                      // A refused write has read its chunk: the source has moved on past it.
                      FaultCase{"WriteOnce",
                                "[[fault]]\ncall = \"WriteFile\"\ncode = 112\ntimes = 1\n",
                                {kWriteRefused, kInKernel, kInKernel, kEnd}},
                      FaultCase{"WriteTwice",
                                "[[fault]]\ncall = \"WriteFile\"\ncode = 112\ntimes = 2\n",
                                {kWriteRefused, kWriteRefused, kInKernel, kEnd}},
                      FaultCase{"WriteElsewhere",
                                "[[fault]]\ncall = \"WriteFile\"\npath = '*OTHER*'\ncode = 112\n",
                                {kInKernel, kInKernel, kInKernel, kEnd}}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the kernel cannot move the bytes, they go through the buffer, with the same result.
TEST_F(CopyChunkTest, ACompressedSourceGoesThroughTheBuffer) {
    net_.WriteFile("HQ/COMP/SRC/PACK.DAT", Content());
    std::string error;
    ASSERT_TRUE(net_.Net().Compress(R"(\\HQ\COMP\SRC\PACK.DAT)", &error)) << error;
    win::ScopedHandle source(OpenSource(R"(\\HQ\COMP\SRC\PACK.DAT)"));
    win::ScopedHandle target(OpenTarget(R"(\\HQ\DATA\DST\PACK.DAT)"));
    ASSERT_TRUE(source.Valid() && target.Valid());
    const Chunk plain{true, Step::None, 0, kChunk, kChunk, true};
    EXPECT_EQ(CopyAll(source.Get(), target.Get(), 10),
              (std::vector<Chunk>{plain, plain, plain, {true, Step::None, 0, 0, 0, false}}));
    target.Reset();
    EXPECT_EQ(net_.ReadFile("HQ/DATA/DST/PACK.DAT"), Content());
}

// A source on another file system: the kernel refuses to copy across, the buffer takes over.
TEST_F(CopyChunkTest, ASourceOnAnotherFileSystemGoesThroughTheBuffer) {
    char dir[] = "/dev/shm/farcast-chunk-XXXXXX";
    if (!mkdtemp(dir))
        GTEST_SKIP() << "no /dev/shm to put a source on another file system";
    const std::string local = std::string(dir) + "/source.dat";
    std::ofstream(local, std::ios::binary) << Content();
    struct stat a {
    }, b{};
    const bool sameFileSystem =
        ::stat(dir, &a) == 0 && ::stat(net_.Root().c_str(), &b) == 0 && a.st_dev == b.st_dev;
    std::vector<Chunk> chunks;
    if (!sameFileSystem) {
        win::ScopedHandle source(OpenSource(local));
        win::ScopedHandle target(OpenTarget(R"(\\HQ\DATA\DST\LOCAL.DAT)"));
        ASSERT_TRUE(source.Valid() && target.Valid());
        chunks = CopyAll(source.Get(), target.Get(), 10);
    }
    std::filesystem::remove_all(dir);
    if (sameFileSystem)
        GTEST_SKIP() << "the network's root is on /dev/shm's file system";
    const Chunk plain{true, Step::None, 0, kChunk, kChunk, true};
    EXPECT_EQ(chunks, (std::vector<Chunk>{plain, plain, plain, kEnd}));
    EXPECT_EQ(net_.ReadFile("HQ/DATA/DST/LOCAL.DAT"), Content());
}

// A volume without room for the next chunk: the write through the buffer reports the full
// disk, and what the volume had room for is there.
TEST_F(CopyChunkTest, AFullVolumeFailsTheWriteWithTheFullDisk) {
    win::ScopedHandle source(OpenSource(R"(\\HQ\DATA\SRC\BIG.DAT)"));
    win::ScopedHandle target(OpenTarget(R"(\\HQ\SMALL\DST\BIG.DAT)"));
    ASSERT_TRUE(source.Valid() && target.Valid());
    EXPECT_EQ(CopyAll(source.Get(), target.Get(), 3),
              (std::vector<Chunk>{kInKernel, kInKernel, kWriteRefused}));
    target.Reset();
    EXPECT_EQ(net_.ReadFile("HQ/SMALL/DST/BIG.DAT"), Content().substr(0, 2 * kChunk));
}

}  // namespace
