#pragma once
// Runs part of a test as an unprivileged user, so that the file system's permission checks
// apply (root passes them all). As root, the body runs in a child process that has taken the
// identity of "nobody" (uid and gid 65534) and owns the given directory tree; otherwise it runs
// in this process as it is.

#include <functional>
#include <string>

enum class Unprivileged {
    Passed,      // the body ran and reported no failure
    Failed,      // the body ran and reported failures (they have been printed)
    Unavailable  // the body could not run unprivileged (*why says why)
};

// tree: a directory the body works in; as root it is given to the unprivileged user first.
Unprivileged RunUnprivileged(const std::string& tree, const std::function<void()>& body,
                             std::string* why);

// Runs the body unprivileged inside a test: the test is skipped (with the reason) where that
// cannot be done, and fails when the body reported failures.
#define EXPECT_UNPRIVILEGED(tree, body)                                        \
    do {                                                                       \
        std::string unprivilegedWhy;                                           \
        const Unprivileged unprivilegedOutcome =                               \
            RunUnprivileged((tree), (body), &unprivilegedWhy);                 \
        if (unprivilegedOutcome == Unprivileged::Unavailable)                  \
            GTEST_SKIP() << "needs an unprivileged user: " << unprivilegedWhy; \
        EXPECT_EQ(unprivilegedOutcome, Unprivileged::Passed);                  \
    } while (false)
