// --login-file: the lines it gives, and the files it refuses (others can read it, it cannot be
// read, a line is not USER:PASSWORD) without taking any of their lines.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/login_file.h"

namespace {

class LoginFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("login_file_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "logins").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    void Write(const std::string& text, mode_t mode) {
        std::ofstream(path_, std::ios::binary) << text;
        ::chmod(path_.c_str(), mode);
    }

    std::filesystem::path dir_;
    std::string path_;
    std::vector<std::string> logins_{"FIRST:ONE"};
    std::string error_;
};

TEST_F(LoginFileTest, PrivateFileGivesItsLinesAfterThoseAlreadyThere) {
    Write("# accounts for the night run\nSUPERVISOR:NETWARE\r\n\nADMIN:pa:ss word\n", 0600);
    ASSERT_TRUE(ReadLoginFile(path_, false, &logins_, &error_)) << error_;
    EXPECT_EQ(logins_,
              (std::vector<std::string>{"FIRST:ONE", "SUPERVISOR:NETWARE", "ADMIN:pa:ss word"}));
}

TEST_F(LoginFileTest, AFileOthersOrTheGroupCanReadIsRefused) {
    for (const mode_t mode : {0644, 0640, 0604}) {
        Write("SUPERVISOR:NETWARE\n", mode);
        EXPECT_FALSE(ReadLoginFile(path_, false, &logins_, &error_)) << std::oct << mode;
        EXPECT_EQ(error_, "farcast-run: --login-file " + path_ +
                              ": group or others can read it. Keep passwords private: chmod 600 " +
                              path_);
        EXPECT_EQ(logins_.size(), 1u);
    }
}

TEST_F(LoginFileTest, AMissingFileIsSaid) {
    EXPECT_FALSE(ReadLoginFile(path_, false, &logins_, &error_));
    EXPECT_EQ(error_, "farcast-run: --login-file " + path_ + ": No such file or directory");
    EXPECT_EQ(logins_.size(), 1u);
}

TEST_F(LoginFileTest, AUserWithoutPasswordNeedsATerminal) {
    Write("SUPERVISOR:NETWARE\nGUEST\n", 0600);
    EXPECT_FALSE(ReadLoginFile(path_, false, &logins_, &error_));
    EXPECT_EQ(error_, "farcast-run: --login-file " + path_ + ", line 2: USER:PASSWORD expected");
    EXPECT_EQ(logins_.size(), 1u);
    ASSERT_TRUE(ReadLoginFile(path_, true, &logins_, &error_));
    EXPECT_EQ(logins_.back(), "GUEST");
}

TEST_F(LoginFileTest, ALineWithoutAUserIsRefused) {
    Write(":NOPE\n", 0600);
    EXPECT_FALSE(ReadLoginFile(path_, true, &logins_, &error_));
    EXPECT_EQ(error_, "farcast-run: --login-file " + path_ + ", line 1: USER:PASSWORD expected");
}

}  // namespace
