#include "EngineFixture.h"
#include "support/TestFiles.h"

#include "modules/Language.h"
#include "platform/DirectoryHandle.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

namespace fs = std::filesystem;

struct FileFacts {
    std::string content;
    std::int64_t seconds = 0;
    std::int32_t nanoseconds = 0;
    bool operator==(const FileFacts&) const = default;
};

// Every entry below a folder: regular files with their content and modification time, folders
// as "<dir>", anything else as "<other>".
std::map<std::string, FileFacts> TreeOf(const std::string& folder) {
    std::map<std::string, FileFacts> tree;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        const std::string relative = fs::relative(it->path(), folder).string();
        const platform::FileStatus status = platform::statPath(it->path().string(), false);
        FileFacts facts;
        if (status.isRegular()) {
            std::ifstream in(it->path(), std::ios::binary);
            facts.content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            facts.seconds = status.mtimeSeconds;
            facts.nanoseconds = status.mtimeNanoseconds;
        } else {
            facts.content = status.isDirectory() ? "<dir>" : "<other>";
        }
        tree[relative] = facts;
    }
    return tree;
}

TEST_F(EngineTest, ARealisticTreeIsMirroredExactlyAndASecondRunCopiesNothing) {
    SKIP_ON_WINDOWS("its names hold \", a line break, \\ and bytes that are not UTF-8, none of which a "
                    "Windows name may hold");
    std::mt19937 random(7);
    std::string large(5 * 1024 * 1024 + 123, '\0');
    for (char& c : large)
        c = static_cast<char>(random() & 0xff);

    const std::vector<std::string> names = {
        "plain.txt",
        "with blanks in it.txt",
        "comma,separated,name.csv",
        "quote\"double'single.txt",
        "new\nline.txt",
        "back\\slash.txt",
        "-leading-dash.txt",
        "--",
        "\xff\xfe not utf-8 \x80.bin",
        std::string(251, 'n') + ".txt", // 255 bytes
        "empty",
    };
    std::int64_t when = At(2, 1, 10, 0);
    for (const std::string folder :
         {"", "folder with blanks/", "-dash folder/", "deep/er/still/", "\xe9t\xe9/"}) {
        for (const std::string& name : names) {
            const std::string content = name == "empty" ? "" : folder + name;
            Src(folder + name, content, when);
            when += 3601;
        }
    }
    Src("deep/large.bin", large, At(2, 2, 0, 0));
    Src("deep/er/empty-folder-sibling.txt", "");
    dir.createFolder("src/empty folder");
    // A modification time with nanoseconds is kept exactly.
    ASSERT_FALSE(platform::setModificationTime(source + "plain.txt", At(2, 3, 4, 5), 123456789));

    Include({"folder with blanks", "-dash folder", "deep", "empty folder", "\xe9t\xe9"});
    setup.chkIncludeSubfolders = 1;
    state.blnScheduledTask = true;
    UseReportFile();

    ASSERT_EQ(BackupAll(), intResultDone);

    std::map<std::string, FileFacts> expected = TreeOf(source);
    expected.erase("empty folder"); // a folder without files gets no copy
    EXPECT_EQ(TreeOf(target), expected);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    EXPECT_NE(ReportFileText().find("    1 file  in {source folder}deep/"), std::string::npos);

    state.blnScheduledTask = true;
    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
    EXPECT_EQ(state.lngTotalNumNewFiles, 0);
    EXPECT_EQ(state.lngTotalNumModifiedFiles, 0);
    EXPECT_EQ(state.lngTotalNumFiles, static_cast<std::int64_t>(5 * names.size() + 2));
}

TEST_F(EngineTest, FifosAndLinkLoopsDoNotHoldTheRun) {
    Src("a.txt", "a");
    Src("sub/b.txt", "b");
    if (!kestrel::testing::MakeFifo((source + "pipe")))
        GTEST_SKIP() << kestrel::testing::kNoFifos;
    if (!kestrel::testing::MakeFifo((source + "sub/pipe")))
        GTEST_SKIP() << kestrel::testing::kNoFifos;
    if (!kestrel::testing::MakeSymlink(".", (source + "sub/self")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("..", (source + "sub/up")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("loop2", (source + "loop1")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("loop1", (source + "loop2")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("a.txt", (source + "link-to-a")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("pipe", (source + "link-to-pipe")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    if (!kestrel::testing::MakeSymlink("missing", (source + "dangling")))
        GTEST_SKIP() << kestrel::testing::kNoSymlinks;
    Include({"sub"});
    setup.chkIncludeSubfolders = 1;
    state.blnScheduledTask = true;

    ASSERT_EQ(BackupAll(), intResultDone);

    std::map<std::string, FileFacts> copied = TreeOf(target);
    std::vector<std::string> paths;
    for (const auto& [path, facts] : copied)
        paths.push_back(path);
    EXPECT_EQ(paths, (std::vector<std::string>{"a.txt", "link-to-a", "sub", "sub/b.txt"}));
    EXPECT_EQ(copied["link-to-a"].content, "a");
    EXPECT_EQ(state.lngTotalNumFiles, 3) << "the special files are not counted as files";
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
}

// Marks the root of a backup's target as a killed run leaves it.
void MarkAsKilledRun(const std::string& root) {
    const auto handle = platform::DirectoryHandle::open(root);
    ASSERT_TRUE(handle.ok()) << handle.error().description;
    ASSERT_FALSE(platform::markRunUnderWay(handle.value()));
}

// What a killed run left in a folder of the target goes when a later run visits the folder; a
// user's file of a similar name is backed up like any other, a leftover lying in the source is not.
TEST_F(EngineTest, ACopyLeftByAKilledRunIsRemovedAndAUsersFileOfASimilarNameIsBackedUp) {
    Src("a.txt", "complete", At(3, 1, 9, 0));
    Src(".kestrel-partial-0123456789abcdef", "a user's file", At(3, 1, 9, 0));
    Src(".kestrel-tmp-0123456789abcdef-00000000", "another", At(3, 1, 9, 0));
    Src("sub/b.txt", "b", At(3, 1, 9, 0));
    Include({Native("sub/")});
    const std::string leftover = platform::temporaryCopyName();
    Tgt(leftover, "half a cop");
    Tgt("sub/" + leftover, "half a cop");
    MarkAsKilledRun(target);
    Src(platform::temporaryCopyName(), "junk");
    UseReportFile();
    ui.answerConfirm(true);

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/a.txt"), "complete");
    EXPECT_EQ(dir.readFile("tgt/.kestrel-partial-0123456789abcdef"), "a user's file");
    EXPECT_EQ(dir.readFile("tgt/.kestrel-tmp-0123456789abcdef-00000000"), "another");
    EXPECT_FALSE(platform::statPath(target + leftover, false).exists());
    EXPECT_FALSE(platform::statPath(target + "sub/" + leftover, false).exists());
    EXPECT_EQ(TreeOf(target).size(), 5u) << "the run's own mark is gone too";
    EXPECT_EQ(state.lngTotalNumFilesCopied, 4);
    EXPECT_NE(ReportFileText().find("    3 files in {source folder}"), std::string::npos) << ReportFileText();
}

// The target of another backup may lie inside this one's: the mark a killed run of that backup
// left tells this run to look for its leftovers there and below; the mark itself is that
// backup's to clear.
TEST_F(EngineTest, TheLeftoversOfAKilledBackupWhoseTargetLiesInsideAreRemovedAndItsMarkKept) {
    Src("inner/deeper/c.txt", "c", At(3, 1, 9, 0));
    Include({Native("inner/")});
    setup.chkIncludeSubfolders = 1;
    const std::string leftover = platform::temporaryCopyName();
    Tgt("inner/deeper/" + leftover, "half a cop");
    MarkAsKilledRun(target + "inner/");
    UseReportFile();
    ui.answerConfirm(true);

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/inner/deeper/c.txt"), "c");
    EXPECT_FALSE(platform::statPath(target + "inner/deeper/" + leftover, false).exists());
    EXPECT_EQ(TreeOf(target + "inner/").size(), 3u) << "c.txt, deeper/ and the inner backup's mark";
}

TEST_F(EngineTest, AFailedCopyLeavesThePreviousBackupCopyWhole) {
    Src("a.txt", "new version", At(3, 1, 9, 0));
    Tgt("a.txt", "old version", At(2, 1, 9, 0));
    CopyFaultGuard fault(
        [](const std::string&, const std::string&) { return platform::Error::of(platform::err::DeviceIo); });
    state.blnScheduledTask = true;

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/a.txt"), "old version");
    EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
    EXPECT_EQ(state.lngTotalNumModifiedFiles, 1);
    EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
}

} // namespace
} // namespace kestrel::testing
