#include "tests/support/scratch_mount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

ScratchMount::ScratchMount(const std::string& dir, const std::string& type,
                           const std::string& options)
    : dir_(dir) {
    mounted_ = ::geteuid() == 0 && ::mount(type.c_str(), dir.c_str(), type.c_str(), 0,
                                           options.empty() ? nullptr : options.c_str()) == 0;
}

void ScratchMount::Fill() const {
    std::ofstream filler(dir_ + "/.filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()))
        filler.flush();
}

ScratchMount::ScratchMount(const std::string& dir, const std::string& mkfs, int sizeMiB)
    : dir_(dir) {
    if (::geteuid() != 0)
        return;
    char pattern[] = "/tmp/farcast-image-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0)
        return;
    image_ = pattern;
    const bool sized = ::ftruncate(fd, static_cast<off_t>(sizeMiB) << 20) == 0;
    ::close(fd);
    // The paths are mkstemp's and the test's temporary directory: no character a shell reads.
    mounted_ =
        sized && std::system((mkfs + " " + image_ + " >/dev/null 2>&1").c_str()) == 0 &&
        std::system(("mount -o loop " + image_ + " " + dir + " >/dev/null 2>&1").c_str()) == 0;
}

ScratchMount::~ScratchMount() {
    if (mounted_)
        ::umount2(dir_.c_str(), MNT_DETACH);
    if (!image_.empty())
        std::filesystem::remove(image_);
}
