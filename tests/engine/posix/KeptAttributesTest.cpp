#include "../EngineFixture.h"

#include "engine/Restore.h"
#include "modules/Language.h"
#include "platform/KeptAttributes.h"
#include "support/Unprivileged.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

// A setup that asks for it gets back what was there: links as links, permission modes, folder
// times, and as root owners and extended attributes. A target that cannot hold one of these is
// told so once a run, and that is no error of any file.
namespace kestrel::testing {
namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

class KeptAttributesTest : public EngineTest {
protected:
    KeptAttributesTest() {
        UseReportFile();
        state.blnScheduledTask = true;
    }
    // Backs up three files keeping attributes, changes only their modes (and, as root, one
    // owner), and runs again: without the option, with it, and with modes refused.
    void ModeChangedAloneRun() {
        Src("a.txt", "a", At(1, 5, 10, 0));
        Src("b.txt", "b", At(1, 5, 10, 0));
        Src("shared.txt", "s", At(1, 5, 10, 0));
        for (const char* file : {"a.txt", "b.txt", "shared.txt"})
            ASSERT_EQ(::chmod((source + file).c_str(), 0644), 0);
        setup.extra.bKeepAttributes = true;
        ASSERT_EQ(BackupAll(), intResultDone);
        const ino_t copy = StatOf(target + "a.txt").st_ino;
        ASSERT_EQ(::link((target + "shared.txt").c_str(), dir.path("elsewhere.txt").c_str()), 0);

        for (const char* file : {"a.txt", "b.txt", "shared.txt"})
            ASSERT_EQ(::chmod((source + file).c_str(), 0600), 0);
        setup.extra.bKeepAttributes = false;
        ASSERT_EQ(BackupModified(), intResultDone);
        EXPECT_EQ(StatOf(target + "a.txt").st_mode & 07777, 0644u);

        setup.extra.bKeepAttributes = true;
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::chown((source + "b.txt").c_str(), 4321, 8765), 0);
        }
        ASSERT_EQ(BackupModified(), intResultDone);
        EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
        EXPECT_EQ(state.lngTotalNumCopyErrors, 0) << report.Text();
        EXPECT_EQ(StatOf(target + "a.txt").st_mode & 07777, 0600u);
        EXPECT_EQ(StatOf(target + "a.txt").st_ino, copy) << "the data was copied again";
        EXPECT_EQ(StatOf(target + "b.txt").st_mode & 07777, 0600u);
        EXPECT_EQ(StatOf(target + "shared.txt").st_mode & 07777, 0644u);
        if (root) {
            EXPECT_EQ(StatOf(target + "b.txt").st_uid, 4321u);
            EXPECT_EQ(StatOf(target + "b.txt").st_gid, 8765u);
        }

        // A target that holds no modes is told once, as a copy's would be, and that is no error.
        for (const char* file : {"a.txt", "b.txt"})
            ASSERT_EQ(::chmod((source + file).c_str(), 0640), 0);
        platform::ScopedRefusedKindsForTesting refuse(platform::kept::Mode);
        ASSERT_EQ(BackupModified(), intResultDone);
        EXPECT_EQ(Occurrences(report.Text(), GetProgramText(1900)), 1u) << report.Text();
        EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
        EXPECT_EQ(StatOf(target + "a.txt").st_mode & 07777, 0600u);
    }
    std::string LinkText(const std::string& path) const {
        char buffer[256];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        return n < 0 ? std::string("(no link)") : std::string(buffer, static_cast<std::size_t>(n));
    }
};

TEST_F(KeptAttributesTest, LinksAreCopiedAsLinksAndComparedByTheirText) {
    Src("a.txt", "a");
    dir.createFolder("src/folder");
    ASSERT_EQ(::symlink("a.txt", (source + "to-file").c_str()), 0);
    ASSERT_EQ(::symlink("folder", (source + "to-folder").c_str()), 0);
    ASSERT_EQ(::symlink("../nowhere/at all", (source + "dangling").c_str()), 0);
    setup.extra.bCopyLinksAsLinks = true;

    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(LinkText(target + "to-file"), "a.txt");
    EXPECT_EQ(LinkText(target + "to-folder"), "folder");
    EXPECT_EQ(LinkText(target + "dangling"), "../nowhere/at all");
    EXPECT_EQ(state.lngTotalNumFilesCopied, 4); // a.txt and the three links
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    EXPECT_EQ(state.lngTotalNumPassedOver, 0);

    // Unchanged links are no new copies; a link given another text is a modified one.
    ASSERT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(state.lngTotalNumFilesCopied, 0);
    ASSERT_EQ(::unlink((source + "to-file").c_str()), 0);
    ASSERT_EQ(::symlink("folder", (source + "to-file").c_str()), 0);
    ASSERT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(state.lngTotalNumModifiedFiles, 1);
    EXPECT_EQ(state.lngTotalNumFilesCopied, 1);
    EXPECT_EQ(LinkText(target + "to-file"), "folder");
    EXPECT_NE(report.Text().find(source + "to-file " + GetProgramText(66)), std::string::npos)
        << report.Text();
}

// A source that holds only links has files to back up when links are kept, whatever they lead
// to; without the option the same source has none.
TEST_F(KeptAttributesTest, LinksAloneAreFilesFoundWhenLinksAreKept) {
    struct Case {
        const char* label;
        const char* link; // below the source
        const char* leadsTo;
        bool inSubfolder; // the link's folder is the one included subfolder, the top's files left out
        int withoutOption;
    };
    const Case cases[] = {
        {"dangling at the top", "nowhere-link", "../nowhere", false, intResultNoFilesInSource},
        {"to a folder at the top", "folder-link", "/", false, intResultNoFilesInSource},
        {"to a folder in a subfolder", "sub/folder-link", "..", true, intResultNoFileSelected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(source);
        std::filesystem::remove_all(target);
        dir.createFolder("src");
        dir.createFolder("tgt");
        if (c.inSubfolder)
            dir.createFolder("src/sub");
        ASSERT_EQ(::symlink(c.leadsTo, (source + c.link).c_str()), 0);
        Include(c.inSubfolder ? std::vector<std::string>{"sub"} : std::vector<std::string>{});
        setup.chkExcludeFilesInSourceFolder = c.inSubfolder ? 1 : 0;

        setup.extra.bCopyLinksAsLinks = false;
        EXPECT_EQ(BackupModified(), c.withoutOption);
        setup.extra.bCopyLinksAsLinks = true;
        ASSERT_EQ(BackupModified(), intResultDone) << resultText;
        EXPECT_EQ(state.lngTotalNumFilesCopied, 1);
        EXPECT_EQ(LinkText(target + c.link), c.leadsTo);
    }
}

TEST_F(KeptAttributesTest, WithoutTheOptionLinksAreBackedUpAsBefore) {
    Src("a.txt", "a");
    ASSERT_EQ(::symlink("a.txt", (source + "to-file").c_str()), 0);
    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(StatOf(target + "to-file").st_mode & S_IFMT, static_cast<mode_t>(S_IFREG));
    EXPECT_EQ(dir.readFile("tgt/to-file"), "a");
}

TEST_F(KeptAttributesTest, ModesAndFolderTimesAreKept) {
    Src("open.txt", "o");
    Src("sub/read-only.txt", "r");
    Src("sub/deeper/private.txt", "p");
    ASSERT_EQ(::chmod((source + "open.txt").c_str(), 0664), 0);
    ASSERT_EQ(::chmod((source + "sub/read-only.txt").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((source + "sub/deeper/private.txt").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((source + "sub/deeper").c_str(), 0750), 0);
    const timespec times[2] = {{1000000000, 0}, {1000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (source + "sub/deeper").c_str(), times, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, (source + "sub").c_str(), times, 0), 0);
    setup.chkIncludeSubfolders = 1;
    Include({"sub"});
    setup.extra.bKeepAttributes = true;

    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    for (const char* file : {"open.txt", "sub/read-only.txt", "sub/deeper/private.txt"})
        EXPECT_EQ(StatOf(target + file).st_mode & 07777, StatOf(source + file).st_mode & 07777) << file;
    EXPECT_EQ(StatOf(target + "sub/deeper").st_mode & 07777, 0750u);
    for (const char* folder : {"sub", "sub/deeper"}) {
        EXPECT_EQ(StatOf(target + folder).st_mtim.tv_sec, 1000000000) << folder;
        EXPECT_EQ(StatOf(target + folder).st_mtim.tv_nsec, 123456789) << folder;
    }
    EXPECT_EQ(report.Text().find(GetProgramText(1900)), std::string::npos);

    // A read-only copy is still replaced when its source changes.
    Src("sub/read-only.txt", "changed", 2000000000);
    ASSERT_EQ(::chmod((source + "sub/read-only.txt").c_str(), 0444), 0);
    ASSERT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    EXPECT_EQ(dir.readFile("tgt/sub/read-only.txt"), "changed");
    EXPECT_EQ(StatOf(target + "sub/read-only.txt").st_mode & 07777, 0444u);
}

// A re-run where only a file's mode (or, as root, its owner) changed copies no data: the existing
// copy is given them. Without the option, and on a copy another name shares, nothing changes.
TEST_F(KeptAttributesTest, AModeChangedAloneIsGivenToTheExistingCopy) {
    ModeChangedAloneRun();
}

TEST_F(KeptAttributesTest, AModeChangedAloneIsGivenToTheExistingCopyByAnyUser) {
    RunAsUnprivileged({dir.path()}, [this] { ModeChangedAloneRun(); });
}

// A restore does not give the backup's modes to the destination's unchanged files: a backup on a
// disk without modes holds one mode for all.
TEST_F(KeptAttributesTest, ARestoreLeavesTheModeOfAnUnchangedFileAlone) {
    Src("a.txt", "a", At(1, 5, 10, 0));
    ASSERT_EQ(::chmod((source + "a.txt").c_str(), 0644), 0);
    setup.extra.bKeepAttributes = true;
    ASSERT_EQ(BackupAll(), intResultDone);
    ASSERT_EQ(::chmod((target + "a.txt").c_str(), 0700), 0); // as a FAT disk shows every file

    ASSERT_EQ(RunRestore(setup, state, ui, report, RestoreRequest{}, &resultText), intResultDone)
        << resultText;
    EXPECT_EQ(StatOf(source + "a.txt").st_mode & 07777, 0644u);
}

TEST_F(KeptAttributesTest, AsRootOwnersAndExtendedAttributesAreKept) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root gives files to other users";
    const std::string file = Src("owned.txt", "o");
    const std::string folder = dir.createFolder("src/given");
    Src("given/inside.txt", "i");
    const std::string value = "kept value";
    if (::setxattr(file.c_str(), "user.kestrel", value.data(), value.size(), 0) != 0)
        GTEST_SKIP() << "the test folder's file system holds no user extended attributes";
    ASSERT_EQ(::chown(file.c_str(), 4321, 8765), 0);
    ASSERT_EQ(::chown(folder.c_str(), 1234, 5678), 0);
    setup.chkIncludeSubfolders = 1;
    Include({"given"});
    setup.extra.bKeepAttributes = true;

    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(StatOf(target + "owned.txt").st_uid, 4321u);
    EXPECT_EQ(StatOf(target + "owned.txt").st_gid, 8765u);
    EXPECT_EQ(StatOf(target + "given").st_uid, 1234u);
    EXPECT_EQ(StatOf(target + "given").st_gid, 5678u);
    char buffer[64] = {};
    const ssize_t n = ::getxattr((target + "owned.txt").c_str(), "user.kestrel", buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0), value);
    EXPECT_EQ(report.Text().find(GetProgramText(1901)), std::string::npos) << report.Text();
}

// What a FAT or exFAT disk refuses is told once a run, whatever the number of files, and is no
// error; the files themselves are backed up.
struct RefusedCase {
    const char* label;
    unsigned refused;
    int text;
};

class RefusedKindTest : public KeptAttributesTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedKindTest, IsToldOnceARunAndIsNoError) {
    for (const char* name : {"one.txt", "two.txt", "sub/three.txt", "sub/four.txt"})
        Src(name, name);
    ASSERT_EQ(::symlink("one.txt", (source + "link").c_str()), 0);
    ASSERT_EQ(::symlink("three.txt", (source + "sub/link").c_str()), 0);
    setup.chkIncludeSubfolders = 1;
    Include({"sub"});
    setup.extra.bKeepAttributes = true;
    setup.extra.bCopyLinksAsLinks = true;
    platform::ScopedRefusedKindsForTesting refuse(GetParam().refused);

    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(Occurrences(report.Text(), GetProgramText(GetParam().text)), 1u) << report.Text();
    EXPECT_EQ(Occurrences(ReportFileText(), GetProgramText(GetParam().text)), 1u);
    EXPECT_EQ(state.lngTotalNumCopyErrors, 0);
    EXPECT_EQ(state.intNumWarnings, 0);
    EXPECT_EQ(dir.readFile("tgt/sub/four.txt"), "sub/four.txt");
    if (GetParam().refused == platform::kept::Links) {
        // Passed over as without the option: a link to a file is backed up as that file.
        EXPECT_EQ(StatOf(target + "link").st_mode & S_IFMT, static_cast<mode_t>(S_IFREG));
        EXPECT_EQ(dir.readFile("tgt/sub/link"), "sub/three.txt");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RefusedKindTest,
                         ::testing::Values(RefusedCase{"Modes", platform::kept::Mode, 1900},
                                           RefusedCase{"FolderTimes", platform::kept::FolderTimes, 1904},
                                           RefusedCase{"Links", platform::kept::Links, 1905}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace kestrel::testing
