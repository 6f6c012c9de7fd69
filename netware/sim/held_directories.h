#pragma once
// Directories of the opened networks, held open so that every entry below a network root is
// reached relative to a held directory, with the kernel refusing links on the way
// (openat2 with RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS). A directory swapped for a link
// between a look and its use is therefore refused too, and a path is walked once, when its
// directory is first opened, not on every call.
//
// The volume directories are held from the time the network is opened. A directory below one
// is opened when first used and held until the next epoch (ForgetHeld): within an epoch, a
// directory renamed by another program is still the one acted in. Paths outside every root
// are used as they are.

#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>

#include <string>

struct statx;

namespace sim {

// An open file descriptor, closed when it goes.
class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset();

  private:
    int fd_ = -1;
};

// The network root, held from now until it is released.
void HoldRoot(const std::string& root);
void ReleaseRoot(const std::string& root);
// A directory below a held root (a volume's) held until its root is released.
void PinDirectory(const std::string& local);
// Lets go of the directories opened since the last call, under the root (pinned ones stay):
// they are opened afresh, and their paths walked again, when next used.
void ForgetHeld(const std::string& root);
// Makes the directories below a root be opened one name at a time with openat, as on a kernel
// without openat2 (found out by itself when the kernel refuses it); for tests.
void WalkNamesOneByOne(bool on);

// The system calls on a local path, relative to the held directory that holds it; -1 with
// errno as they set it. A link on the way fails them with ENOTDIR; a link as the last name is
// never followed (Open adds O_NOFOLLOW).
int StatxAt(const std::string& local, int flags, unsigned mask, struct statx* sx);
int OpenAt(const std::string& local, int flags, mode_t mode = 0);
int UnlinkAt(const std::string& local, int flags = 0);
int MakeDirectoryAt(const std::string& local, mode_t mode);
int RenameAt(const std::string& from, const std::string& to, unsigned flags);
int SetTimesAt(const std::string& local, const struct timespec times[2]);
// A listing of the directory; null with errno when it cannot be opened.
DIR* OpenDirectoryAt(const std::string& local);

}  // namespace sim
