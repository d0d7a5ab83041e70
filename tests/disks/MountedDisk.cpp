#include "disks/MountedDisk.h"

#include "cli/Subprocess.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {

namespace {

// The folders a root shell finds its programs in: mkfs, losetup and mount helpers live in sbin.
constexpr const char* kSystemPath = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
constexpr const char* kSftpServer = "/usr/lib/openssh/sftp-server";

std::string replaced(std::string text, const std::string& name, const std::string& value) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    return text;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

bool uses(const std::vector<std::string>& command, const std::string& placeholder) {
    for (const std::string& word : command)
        if (word.find(placeholder) != std::string::npos)
            return true;
    return false;
}

// A mount point as /proc/self/mountinfo writes it: blanks, tabs, newlines and backslashes as
// three octal digits after a backslash.
std::string decodedMountField(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// The type of the file system mounted at `mountPoint` (the latest mount there); "" for none.
std::string mountedType(const std::string& mountPoint) {
    std::ifstream info("/proc/self/mountinfo");
    std::string type;
    for (std::string line; std::getline(info, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        fields >> id >> parent >> device >> root >> point;
        if (decodedMountField(point) != mountPoint)
            continue;
        const std::size_t separator = line.find(" - ");
        if (separator != std::string::npos)
            std::istringstream(line.substr(separator + 3)) >> type;
    }
    return type;
}

class SystemCommands {
public:
    explicit SystemCommands(std::string folder) : folder_(std::move(folder)) {}

    // Runs the command (its program looked up in the system's folders); "" when it succeeded,
    // else what it said. `output` receives its standard output.
    std::string Run(std::vector<std::string> argv, std::string* output = nullptr) const {
        const std::string shown = joined(argv);
        argv[0] = SystemProgram(argv[0]);
        ProcessRun run;
        run.argv = argv;
        run.environment = {std::string("PATH=") + kSystemPath, "LANG=C.UTF-8", "HOME=" + folder_};
        run.outPath = folder_ + "command-out.txt";
        run.errPath = folder_ + "command-err.txt";
        const ProcessResult result = RunProcess(run);
        if (output != nullptr)
            *output = result.out;
        if (result.status == 0)
            return {};
        return "`" + shown + "` ended with status " + std::to_string(result.status) + ": " + result.err +
               result.out;
    }

private:
    std::string folder_;
};

} // namespace

std::string SystemProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    std::istringstream folders(kSystemPath);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string path = folder + "/" + name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

std::string MountedDisk::Prepare(const MountRecipe& recipe, const std::string& folder) {
    if (::geteuid() != 0)
        return "mounting a file system needs root";
    if (recipe.fuse && ::access("/dev/fuse", R_OK | W_OK) != 0)
        return "FUSE is not available here (no usable /dev/fuse)";
    if (recipe.loopDevice && ::access("/dev/loop-control", R_OK | W_OK) != 0)
        return "loop devices are not available here (no /dev/loop-control)";
    std::vector<std::string> programs = {"umount"};
    if (!recipe.make.empty())
        programs.push_back(recipe.make[0]);
    programs.push_back(recipe.mount[0]);
    if (recipe.loopDevice)
        programs.push_back("losetup");
    for (const std::string& program : programs)
        if (SystemProgram(program).empty())
            return program + " is not installed (`make deps` installs it)";
    if (uses(recipe.mount, "{ssh}") && ::access(kSftpServer, X_OK) != 0)
        return std::string(kSftpServer) + " is not installed (`make deps` installs openssh-sftp-server)";
    folder_ = folder;
    mountFolder_ = folder + "mount";
    if (::mkdir(mountFolder_.c_str(), 0755) != 0)
        return "cannot make the mount point in " + folder;
    if (uses(recipe.mount, "{served}") && ::mkdir((folder + "served").c_str(), 0755) != 0)
        return "cannot make the served folder in " + folder;
    return {};
}

std::string MountedDisk::Mount(const MountRecipe& recipe, const std::string& folder) {
    if (std::string reason = Prepare(recipe, folder); !reason.empty())
        return reason;
    const SystemCommands system(folder);
    const std::string image = folder + "disk.img";
    const std::string ssh = folder + "sftp-server.sh";
    if (recipe.imageMiB > 0) {
        std::ofstream(image, std::ios::binary).flush();
        if (::truncate(image.c_str(), static_cast<off_t>(recipe.imageMiB) * 1024 * 1024) != 0)
            return "cannot make the image " + image;
    }
    if (uses(recipe.mount, "{ssh}")) {
        // sshfs runs this in place of ssh: the sftp server speaks on standard input and output,
        // so no network and no login are needed.
        std::ofstream(ssh) << "#!/bin/sh\nexec " << kSftpServer << "\n";
        ::chmod(ssh.c_str(), 0755);
    }
    auto filled = [&](std::vector<std::string> command) {
        for (std::string& word : command) {
            word = replaced(word, "{image}", image);
            word = replaced(word, "{device}", loopDevice_);
            word = replaced(word, "{mount}", mountFolder_);
            word = replaced(word, "{served}", folder + "served");
            word = replaced(word, "{ssh}", ssh);
        }
        return command;
    };
    if (!recipe.make.empty())
        if (std::string failure = system.Run(filled(recipe.make)); !failure.empty())
            return failure;
    if (recipe.loopDevice) {
        std::string device;
        if (std::string failure = system.Run({"losetup", "-f", "--show", image}, &device); !failure.empty())
            return failure;
        loopDevice_ = device.substr(0, device.find('\n'));
    }
    if (std::string failure = system.Run(filled(recipe.mount)); !failure.empty())
        return failure;
    mountPoint_ = mountFolder_ + "/";
    const std::string type = mountedType(mountFolder_);
    if (type != recipe.type)
        return "the file system at " + mountFolder_ + " is mounted as \"" + type + "\", not as \"" +
               recipe.type + "\"";
    return {};
}

bool MountedDisk::Unmount() {
    bool unmounted = true;
    const SystemCommands system(folder_);
    if (!mountPoint_.empty()) {
        // Lazily: a FUSE program still busy with the image can never keep the test from ending.
        unmounted = system.Run({"umount", "-l", mountFolder_}).empty();
        mountPoint_.clear();
    }
    if (!loopDevice_.empty()) {
        unmounted = system.Run({"losetup", "-d", loopDevice_}).empty() && unmounted;
        loopDevice_.clear();
    }
    return unmounted;
}

} // namespace kestrel::testing
