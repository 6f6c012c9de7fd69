#pragma once
// A file system of a given kind mounted over a directory for a test's life, so that a test can
// meet what that kind of file system lacks (birth times, generation numbers). Either a kernel
// file system without a device (ramfs, tmpfs) or an image made with mkfs, mounted through a
// loop device. Mounted() is false where that cannot be done (not root, no loop device, no mkfs):
// the test then skips itself and says why.

#include <string>

class ScratchMount {
  public:
    // A file system without a device: type "ramfs", "tmpfs"..., options as mount -o takes
    // them ("size=1m").
    ScratchMount(const std::string& dir, const std::string& type, const std::string& options = "");
    // An image of sizeMiB made by mkfs (the program and its options, the image's path last).
    ScratchMount(const std::string& dir, const std::string& mkfs, int sizeMiB);
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Fills what room is left with a file (.filler, removed with the mount).
    void Fill() const;

  private:
    std::string dir_;
    std::string image_;
    bool mounted_ = false;
};
