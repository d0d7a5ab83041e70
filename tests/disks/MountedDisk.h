#pragma once

#include <string>
#include <vector>

namespace kestrel::testing {

// How one kind of file system is made fresh and mounted, as a desktop mounts a USB stick or a
// network folder (through FUSE where the kernel has no driver). In the commands, {image} is the
// image file, {device} the loop device that holds it, {mount} the mount point, {served} the
// folder a local sftp-server serves and {ssh} the script that starts that server.
struct MountRecipe {
    std::vector<std::string> make;  // makes the file system on {image}; empty: no image
    std::vector<std::string> mount; // mounts it at {mount}
    int imageMiB = 0;               // the image's size (sparse)
    bool loopDevice = false;        // the image is mounted from a loop device
    bool fuse = false;              // the file system runs in a FUSE program
    std::string type;               // its type in /proc/self/mountinfo
};

// A file system made and mounted inside a test's own folder: the image, the mount point and
// everything else below `folder`. Unmounted (lazily, the loop device given back) by Unmount or,
// at the latest, when it goes.
class MountedDisk {
public:
    MountedDisk() = default;
    ~MountedDisk() { Unmount(); }
    MountedDisk(const MountedDisk&) = delete;
    MountedDisk& operator=(const MountedDisk&) = delete;

    // Makes and mounts the file system; "" when it is mounted, else why it cannot be here.
    std::string Mount(const MountRecipe& recipe, const std::string& folder);
    // The mount point, ending in "/".
    const std::string& mountPoint() const { return mountPoint_; }
    // False when the file system could not be taken away; safe to call more than once.
    bool Unmount();

private:
    std::string Prepare(const MountRecipe& recipe, const std::string& folder);

    std::string mountPoint_;  // set once something is mounted there
    std::string loopDevice_;  // set while a loop device holds the image
    std::string folder_;      // the test's folder, which holds everything
    std::string mountFolder_; // the mount point, without its final "/"
};

// The full path of a system program (the sbin folders included); "" when it is not installed.
std::string SystemProgram(const std::string& name);

} // namespace kestrel::testing
