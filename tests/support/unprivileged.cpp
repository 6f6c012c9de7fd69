#include "tests/support/unprivileged.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 77;

bool GiveTree(const std::string& tree) {
    std::error_code ec;
    if (::chown(tree.c_str(), kNobody, kNobody) != 0)
        return false;
    for (auto it = std::filesystem::recursive_directory_iterator(tree, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (::lchown(it->path().c_str(), kNobody, kNobody) != 0)
            return false;
    }
    return !ec;
}

}  // namespace

Unprivileged RunUnprivileged(const std::string& tree, const std::function<void()>& body,
                             std::string* why) {
    if (::geteuid() != 0) {
        body();
        return ::testing::Test::HasFailure() ? Unprivileged::Failed : Unprivileged::Passed;
    }
    // The tree and the directories above it must let the unprivileged user in.
    for (std::filesystem::path p = tree; p.has_relative_path(); p = p.parent_path()) {
        if (::access(p.c_str(), F_OK) == 0 && p != tree) {
            struct stat sb {};
            if (::stat(p.c_str(), &sb) == 0 && (sb.st_mode & S_IXOTH) == 0) {
                *why = p.string() + " cannot be entered by other users";
                return Unprivileged::Unavailable;
            }
        }
    }
    if (!GiveTree(tree)) {
        *why = "the test tree cannot be given to the unprivileged user";
        return Unprivileged::Unavailable;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        *why = "fork failed";
        return Unprivileged::Unavailable;
    }
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(kCannotDropPrivileges);
        body();
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotDropPrivileges) {
        *why = "this process may not take another user's identity";
        return Unprivileged::Unavailable;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Unprivileged::Passed
                                                         : Unprivileged::Failed;
}
