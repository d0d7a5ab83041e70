// Backups onto the file systems users back up to, each made fresh on an image and mounted by the
// test (USB sticks and external drives through FUSE, btrfs and xfs on loop devices, a network
// folder through sshfs), driven through the command-line tool as a script or timer runs it.
#include "cli/Subprocess.h"
#include "disks/MountedDisk.h"
#include "modules/Language.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

using kestrel::GetProgramText;
using kestrel::testing::CliProgram;
using kestrel::testing::MinimalEnvironment;
using kestrel::testing::MountedDisk;
using kestrel::testing::MountRecipe;
using kestrel::testing::ProcessResult;
using kestrel::testing::ProcessRun;
using kestrel::testing::RunProcess;
using kestrel::testing::SystemProgram;
using kestrel::testing::TempDir;
using kestrel::testing::utcSeconds;

namespace {

constexpr std::int64_t kSecond = 1000000000;
constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;

// A file system a user backs up to: how it is made and mounted here, and what it can hold.
struct DiskKind {
    const char* name;
    MountRecipe recipe;
    std::int64_t timeResolution = 1; // nanoseconds: what it keeps of a modification time
    bool ignoresCase = false;        // Photo.JPG and photo.jpg are one name
    bool windowsNames = false;       // no " * : < > ? \ | in a name, no dot or blank at its end
    bool nonAsciiNames = true;       // holds names beyond ASCII (accents, CJK)
    std::int64_t largestFile = 0;    // bytes; 0: no limit a test can reach
};

void PrintTo(const DiskKind& kind, std::ostream* out) {
    *out << kind.name;
}

const std::vector<DiskKind>& Disks() {
    static const std::vector<DiskKind> disks = {
        // fusefat refuses every name beyond ASCII (EPERM); the kernel's vfat holds them.
        {.name = "Fat32",
         .recipe = {.make = {"mkfs.vfat", "-F", "32", "{image}"},
                    .mount = {"fusefat", "-o", "rw+", "{image}", "{mount}"},
                    .imageMiB = 64,
                    .fuse = true,
                    .type = "fuse.fusefat"},
         .timeResolution = 2 * kSecond,
         .ignoresCase = true,
         .windowsNames = true,
         .nonAsciiNames = false,
         .largestFile = 4 * kGiB - 1},
        // exfat-fuse mounts block devices only.
        {.name = "Exfat",
         .recipe = {.make = {"mkfs.exfat", "{image}"},
                    .mount = {"mount.exfat-fuse", "{device}", "{mount}"},
                    .imageMiB = 64,
                    .loopDevice = true,
                    .fuse = true,
                    .type = "fuseblk"},
         .timeResolution = kSecond,
         .ignoresCase = true,
         .windowsNames = true},
        // Without windows_names, ntfs-3g takes any name Linux takes, in any capitals.
        {.name = "Ntfs",
         .recipe = {.make = {"mkntfs", "-F", "-Q", "{image}"},
                    .mount = {"ntfs-3g", "{image}", "{mount}"},
                    .imageMiB = 64,
                    .fuse = true,
                    .type = "fuse"},
         .timeResolution = 100},
        {.name = "NtfsWindowsNames",
         .recipe = {.make = {"mkntfs", "-F", "-Q", "{image}"},
                    .mount = {"ntfs-3g", "-o", "windows_names", "{image}", "{mount}"},
                    .imageMiB = 64,
                    .fuse = true,
                    .type = "fuse"},
         .timeResolution = 100,
         .windowsNames = true},
        {.name = "Btrfs",
         .recipe = {.make = {"mkfs.btrfs", "-q", "{image}"},
                    .mount = {"mount", "{device}", "{mount}"},
                    .imageMiB = 128, // its smallest
                    .loopDevice = true,
                    .type = "btrfs"}},
        {.name = "Xfs",
         .recipe = {.make = {"mkfs.xfs", "-q", "{image}"},
                    .mount = {"mount", "{device}", "{mount}"},
                    .imageMiB = 300, // its smallest
                    .loopDevice = true,
                    .type = "xfs"}},
        // A network folder: sshfs to an sftp-server of this machine, no network needed.
        {.name = "Sshfs",
         .recipe = {.make = {},
                    .mount = {"sshfs", "-o", "ssh_command={ssh}", "localhost:{served}", "{mount}"},
                    .fuse = true,
                    .type = "fuse.sshfs"},
         .timeResolution = kSecond},
    };
    return disks;
}

std::vector<DiskKind> DisksWithAFileSizeLimit() {
    std::vector<DiskKind> limited;
    for (const DiskKind& kind : Disks())
        if (kind.largestFile > 0)
            limited.push_back(kind);
    return limited;
}

using Tree = std::map<std::string, std::string>; // relative path -> content

std::string OneMiB() {
    std::string data(1024 * 1024, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>('a' + i % 23);
    return data;
}

// One file of each kind of name that has tripped up copies and reports.
Tree AwkwardTree(bool nonAsciiNames) {
    Tree tree = {
        {"plain.txt", "a plain text\n"},
        {"with blanks and, commas.txt", "blanks, commas"},
        {"-leading dash.txt", "a dash first"},
        {"-dash folder/inside.txt", "below a dash"},
        {"empty file", ""},
        {"one MiB.bin", OneMiB()},
        {"nested/deeper/deepest/leaf.txt", "a leaf"},
        {"nested/sibling, folder/notes 2024.txt", "notes"},
    };
    if (nonAsciiNames) {
        tree["accents/café crème, déjà vu.txt"] = "accents";
        tree["日本語のフォルダ/写真 一覧.txt"] = "CJK";
    }
    return tree;
}

// A file's content as a failed comparison shows it: a large one by its size and a hash.
std::string Summary(const std::string& content) {
    if (content.size() <= 64)
        return content;
    return std::to_string(content.size()) + " bytes, hash " +
           std::to_string(std::hash<std::string>{}(content));
}

Tree Summary(const Tree& tree) {
    Tree summary;
    for (const auto& [name, content] : tree)
        summary[name] = Summary(content);
    return summary;
}

// Every regular file below `root` (ending in "/"), with the summary of its content.
Tree TreeOf(const std::string& root) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        tree[entry.path().string().substr(root.size())] = Summary(content.str());
    }
    return tree;
}

std::int64_t ModificationTime(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return -1;
    return status.st_mtim.tv_sec * kSecond + status.st_mtim.tv_nsec;
}

void SetModificationTime(const std::string& path, std::int64_t nanoseconds) {
    const struct timespec time { nanoseconds / kSecond, nanoseconds % kSecond };
    const struct timespec times[2] = {time, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The tool's lines, without the blanks that indent them and the line ends.
std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
    }
    return lines;
}

bool HasLine(const std::string& text, const std::string& wanted) {
    for (const std::string& line : LinesOf(text))
        if (line == wanted)
            return true;
    return false;
}

// A report line naming the file with that reason.
bool HasLineWith(const std::string& text, const std::string& path, const std::string& reason) {
    for (const std::string& line : LinesOf(text))
        if (line.find(path) != std::string::npos && line.find(reason) != std::string::npos)
            return true;
    return false;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The summary lines of a backup.
const std::string kNothingCopied = "Number of files copied: 0";
const std::string kNoneModified = "Number of modified files: 0";

// A moment whose seconds are odd: 27.95 s and 28.25 s lie in different whole seconds and in
// different 2-second steps of a FAT time, however the file system rounds.
const std::int64_t kOddSecond = utcSeconds(2024, 5, 17, 10, 20, 27) * kSecond;

// Each test makes its own file system, a source folder beside it and a target folder on it.
class DiskBackupTest : public ::testing::TestWithParam<DiskKind> {
protected:
    static void SetUpTestSuite() { ASSERT_GT(kestrel::LoadProgramText("zbk.dat"), 0); }

    void SetUp() override {
        const std::string reason = disk.Mount(GetParam().recipe, dir.path());
        if (!reason.empty())
            GTEST_SKIP() << GetParam().name << " cannot be mounted here: " << reason;
        source = dir.createFolder("source");
        home = dir.createFolder("home");
        target = disk.mountPoint() + "Backup/";
        ASSERT_EQ(::mkdir(target.c_str(), 0755), 0) << target;
    }
    void TearDown() override { EXPECT_TRUE(disk.Unmount()) << "the test's file system stayed mounted"; }

    // Writes the files below the source, each with its own time of odd nanoseconds.
    void WriteSource(const Tree& tree) {
        std::int64_t time = kOddSecond;
        for (const auto& [name, content] : tree) {
            SetModificationTime(dir.createFile("source/" + name, content), time + 123456789);
            time += 3 * kSecond;
        }
    }

    // A run of the tool as a timer starts it. A hang fails the test, which still unmounts: the tool
    // is stopped after a generous minute (status 124).
    ProcessResult Tool(const std::string& command, const std::vector<std::string>& options = {}) {
        ProcessRun run;
        run.argv = {SystemProgram("timeout"), "--kill-after=10", "60", CliProgram(), command, "--yes"};
        const std::vector<std::string> setup = {"--source",      source,         "--target",   target,
                                                "--include-all", "--subfolders", "--no-report"};
        run.argv.insert(run.argv.end(), setup.begin(), setup.end());
        run.argv.insert(run.argv.end(), options.begin(), options.end());
        run.environment = MinimalEnvironment(home);
        run.outPath = dir.path("tool-out.txt");
        run.errPath = dir.path("tool-err.txt");
        return RunProcess(run);
    }
    ProcessResult Backup() { return Tool("backup"); }

    TempDir dir;
    MountedDisk disk; // declared after the folder: unmounted before the folder is removed
    std::string source, target, home;
};

TEST_P(DiskBackupTest, FirstBackupCopiesAnAwkwardTreeWhole) {
    const Tree tree = AwkwardTree(GetParam().nonAsciiNames);
    WriteSource(tree);

    const ProcessResult backup = Tool("backup", {"--all"});

    EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
    EXPECT_EQ(TreeOf(target), Summary(tree));
    for (const auto& [name, content] : tree) {
        const std::int64_t difference = ModificationTime(target + name) - ModificationTime(source + name);
        EXPECT_LT(std::abs(difference), GetParam().timeResolution) << name << ": " << difference << " ns";
    }
}

TEST_P(DiskBackupTest, UnchangedRerunCopiesNothing) {
    WriteSource(AwkwardTree(GetParam().nonAsciiNames));
    const ProcessResult first = Backup();
    ASSERT_EQ(first.status, 0) << first.out << first.err;

    const ProcessResult again = Backup();

    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_TRUE(HasLine(again.out, kNothingCopied)) << again.out;
    EXPECT_TRUE(HasLine(again.out, kNoneModified)) << again.out;
}

TEST_P(DiskBackupTest, CheckAfterABackupFindsEverythingBackedUp) {
    WriteSource(AwkwardTree(GetParam().nonAsciiNames));
    const ProcessResult first = Backup();
    ASSERT_EQ(first.status, 0) << first.out << first.err;

    const ProcessResult check = Tool("check");

    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_TRUE(HasLine(check.out, "All files backed up.")) << check.out;
    EXPECT_FALSE(Contains(check.out, GetProgramText(66))) << check.out; // (modified)
    EXPECT_FALSE(Contains(check.out, GetProgramText(65))) << check.out; // (new)
}

TEST_P(DiskBackupTest, SameSizeEditInTheNextSecondIsBackedUp) {
    WriteSource({{"edited.txt", "version 1"}, {"untouched.txt", "stays"}});
    const std::string edited = source + "edited.txt";
    SetModificationTime(edited, kOddSecond + 950 * 1000000);
    const ProcessResult first = Backup();
    ASSERT_EQ(first.status, 0) << first.out << first.err;

    // Rewritten 0.3 s later, in the next second, at the same size.
    dir.createFile("source/edited.txt", "version 2");
    SetModificationTime(edited, kOddSecond + 1250 * 1000000);
    const ProcessResult second = Backup();

    EXPECT_EQ(second.status, 0) << second.out << second.err;
    if (GetParam().timeResolution >= 2 * kSecond) {
        // FAT keeps local two-second times, which a time-zone or daylight-saving change shifts:
        // there a copy within the same minute is taken as the same version, by design.
        EXPECT_TRUE(HasLine(second.out, "Number of files copied: 0")) << second.out;
        return;
    }
    EXPECT_TRUE(HasLine(second.out, "Number of files copied: 1")) << second.out;
    EXPECT_EQ(TreeOf(target), (Tree{{"edited.txt", "version 2"}, {"untouched.txt", "stays"}}));
}

TEST_P(DiskBackupTest, NameTheTargetCannotHoldIsReportedNeverRenamed) {
    const Tree tree = {{"a:b.txt", "colon"},
                       {"ends in a dot.", "dot"},
                       {"ends in a blank ", "blank"},
                       {"plain.txt", "plain"}};
    WriteSource(tree);

    const ProcessResult backup = Backup();

    if (!GetParam().windowsNames) {
        EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
        EXPECT_EQ(TreeOf(target), tree);
        return;
    }
    EXPECT_EQ(backup.status, 1) << backup.out << backup.err;
    EXPECT_TRUE(HasLineWith(backup.out, source + "a:b.txt", GetProgramText(1305))) << backup.out;
    EXPECT_TRUE(HasLineWith(backup.out, source + "ends in a dot.", GetProgramText(1306))) << backup.out;
    EXPECT_TRUE(HasLineWith(backup.out, source + "ends in a blank ", GetProgramText(1306))) << backup.out;
    EXPECT_EQ(TreeOf(target), (Tree{{"plain.txt", "plain"}})); // nothing under another name
}

TEST_P(DiskBackupTest, CaseClashIsReportedNeverCopiedOverAndNeverModified) {
    const Tree tree = {{"Photo.JPG", "the first photo"}, {"photo.jpg", "the second, longer photo"}};
    WriteSource(tree);

    const ProcessResult first = Backup();

    if (!GetParam().ignoresCase) {
        EXPECT_EQ(first.status, 0) << first.out << first.err;
        EXPECT_EQ(TreeOf(target), tree);
        return;
    }
    EXPECT_EQ(first.status, 1) << first.out << first.err;
    const std::string clash = GetProgramText(1308);
    const bool secondRefused = HasLineWith(first.out, source + "photo.jpg", clash);
    ASSERT_NE(secondRefused, HasLineWith(first.out, source + "Photo.JPG", clash))
        << "exactly one of the two names is reported\n"
        << first.out;
    const std::string copied = secondRefused ? "Photo.JPG" : "photo.jpg";
    const std::string refused = secondRefused ? "photo.jpg" : "Photo.JPG";
    const Tree held = TreeOf(target);
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held.begin()->second, tree.at(copied)) << "the copy of " << copied << " was replaced";

    const ProcessResult again = Backup();

    EXPECT_EQ(again.status, 1) << again.out << again.err;
    EXPECT_TRUE(HasLineWith(again.out, source + refused, clash)) << again.out;
    EXPECT_TRUE(HasLine(again.out, kNothingCopied)) << again.out;
    EXPECT_TRUE(HasLine(again.out, kNoneModified)) << again.out;
    EXPECT_FALSE(Contains(again.out, GetProgramText(66))) << again.out; // (modified)
    EXPECT_EQ(TreeOf(target), held);
}

// Earlier versions are moved (a rename) into the versions folder on every file system, FAT too;
// what a file system cannot keep of modes and links is told once a run, and only then is it not
// kept: a copy's mode differs from its source's, or a link is no link, only where the run said so.
TEST_P(DiskBackupTest, VersionsAreKeptAndWhatCannotBeKeptIsToldOnce) {
    WriteSource({{"edited.txt", "version 1"}, {"private.txt", "mine"}});
    ASSERT_EQ(::chmod((source + "private.txt").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("edited.txt", (source + "link").c_str()), 0);
    const std::vector<std::string> options = {"--keep-versions", "30", "--keep-attributes", "--links"};
    const ProcessResult first = Tool("backup", options);
    ASSERT_EQ(first.status, 0) << first.out << first.err;

    dir.createFile("source/edited.txt", "version 2, longer");
    SetModificationTime(source + "edited.txt", kOddSecond + 3600 * kSecond);
    ASSERT_EQ(::chmod((source + "private.txt").c_str(), 0640), 0); // its mode alone changes
    const ProcessResult second = Tool("backup", options);
    EXPECT_EQ(second.status, 0) << second.out << second.err;

    const Tree held = TreeOf(target);
    EXPECT_EQ(held.at("edited.txt"), "version 2, longer");
    std::vector<std::string> versions;
    const std::string atItsPath = "/edited.txt";
    for (const auto& [name, content] : held) {
        if (name.rfind(std::string(".kestrel-versions/"), 0) == 0 && name.size() > atItsPath.size() &&
            name.compare(name.size() - atItsPath.size(), atItsPath.size(), atItsPath) == 0)
            versions.push_back(content);
    }
    EXPECT_EQ(versions, std::vector<std::string>{"version 1"}) << second.out;

    for (const ProcessResult* run : {&first, &second}) {
        const std::string modesNotKept = GetProgramText(1900);
        const std::string linksNotKept = GetProgramText(1905);
        EXPECT_LE(kestrel::testing::Occurrences(run->out, modesNotKept), 1u) << run->out;
        EXPECT_LE(kestrel::testing::Occurrences(run->out, linksNotKept), 1u) << run->out;
    }
    struct stat copy {};
    ASSERT_EQ(::lstat((target + "private.txt").c_str(), &copy), 0);
    if ((copy.st_mode & 07777) != 0640) {
        EXPECT_TRUE(Contains(second.out, GetProgramText(1900))) << "a mode not kept, in silence\n"
                                                                << second.out;
    }
    ASSERT_EQ(::lstat((target + "link").c_str(), &copy), 0);
    if (!S_ISLNK(copy.st_mode)) {
        EXPECT_TRUE(Contains(second.out, GetProgramText(1905))) << "a link not kept, in silence\n"
                                                                << second.out;
    }
}

INSTANTIATE_TEST_SUITE_P(FileSystems, DiskBackupTest, ::testing::ValuesIn(Disks()),
                         [](const ::testing::TestParamInfo<DiskKind>& info) { return info.param.name; });

using FileSizeLimitTest = DiskBackupTest;

TEST_P(FileSizeLimitTest, FileLargerThanTheTargetHoldsIsRefusedBeforeAnyByte) {
    WriteSource({{"small 1.txt", "one"}, {"small 2.txt", "two"}});
    // 5 GiB of nothing: no data to read, so only a copy that starts writing takes long.
    const std::string huge = dir.createFile("source/huge.bin");
    ASSERT_GT(5 * kGiB, GetParam().largestFile);
    ASSERT_EQ(::truncate(huge.c_str(), 5 * kGiB), 0);

    const ProcessResult backup = Backup();

    EXPECT_EQ(backup.status, 1) << backup.out << backup.err;
    EXPECT_TRUE(HasLineWith(backup.out, source + "huge.bin", GetProgramText(1309))) << backup.out;
    EXPECT_EQ(TreeOf(target), (Tree{{"small 1.txt", "one"}, {"small 2.txt", "two"}}));
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FileSizeLimitTest, ::testing::ValuesIn(DisksWithAFileSizeLimit()),
                         [](const ::testing::TestParamInfo<DiskKind>& info) { return info.param.name; });

} // namespace
