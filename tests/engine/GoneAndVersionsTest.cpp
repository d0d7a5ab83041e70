// What the target holds that the source no longer has: named by a check, removed by a backup
// that asks for it (within its limit), and the versions folder that keeps replaced and removed
// copies for some days.
#include "engine/EngineFixture.h"
#include "engine/VersionsFolder.h"

#include <filesystem>

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";
const std::string kRunFolder = ".kestrel-versions/2024-03-09 12.00.00/";

class GoneTest : public EngineTest {
public:
    GoneTest() {
        UseReportFile();
        setup.chkIncludeSubfolders = 1;
    }
    // A folder "a" with two files, backed up, then renamed to "b" in the source.
    void BackUpThenRenameFolder() {
        Src("a/x.txt", "x");
        Src("a/deep/y.txt", "y");
        Src("keep.txt", "k");
        Include({"a"});
        state.blnScheduledTask = true;
        ASSERT_EQ(BackupModified(), intResultDone);
        state.blnScheduledTask = false;
        std::filesystem::rename(dir.path("src/a"), dir.path("src/b"));
        Include({"b"});
    }
    int Backup() {
        Attend();
        return BackupModified();
    }
    // The answers of a watched backup: go on, and overwrite the report file of the last run.
    void Attend() {
        ui.answerConfirm(true);
        if (dir.exists("report.txt"))
            ui.answerExistingReportFile(1);
    }
    bool Has(const std::string& relative) const { return dir.exists(relative); }
};

TEST_F(GoneTest, CheckNamesAndCountsARenamedFolderAndRemovesNothing) {
    BackUpThenRenameFolder();
    Tgt("old.txt", "o");
    ASSERT_EQ(CheckState(), intResultDone);
    const std::string text = ui.screenText();
    EXPECT_NE(text.find(GetProgramText(1800) + CRLF + "      " + target + Native("a/") + CRLF + "      " +
                        target + "old.txt"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Number of files gone from the source: 1"), std::string::npos) << text;
    EXPECT_NE(text.find("Number of folders gone from the source: 1"), std::string::npos) << text;
    EXPECT_EQ(state.lngTotalNumGoneFolders, 1);
    // The report file of the run and the files of the source are no gone files.
    EXPECT_EQ(text.find(target + "keep.txt"), std::string::npos);
    EXPECT_TRUE(Has("tgt/a/x.txt"));
    EXPECT_TRUE(Has("tgt/old.txt"));
}

TEST_F(GoneTest, ABackupRemovesTheRenamedFolderOnlyWhenAsked) {
    BackUpThenRenameFolder();
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_TRUE(Has("tgt/a/deep/y.txt")) << "kept without the option";
    EXPECT_TRUE(Has("tgt/b/deep/y.txt"));

    setup.extra.bRemoveDeleted = true;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_FALSE(Has("tgt/a"));
    EXPECT_TRUE(Has("tgt/b/x.txt"));
    EXPECT_TRUE(Has("tgt/keep.txt"));
    EXPECT_EQ(state.lngTotalNumRemovedFiles, 2);
    EXPECT_EQ(state.lngTotalNumRemovedFolders, 2);
    const std::string text = ui.screenText();
    EXPECT_NE(text.find("      " + GetProgramText(1805) + " " + target + Native("a/")), std::string::npos)
        << text;
    EXPECT_NE(text.find("Number of files removed from the backup: 2"), std::string::npos) << text;
}

TEST_F(GoneTest, NothingOutsideTheSelectionNorAnUnwalkedFolderIsGone) {
    Src("doc.txt", "d");
    Src("sub/inner.txt", "i");
    Tgt("photo.jpg", "p");   // the filter would never have taken it
    Tgt("skipme.txt", "s");  // an excluded path
    Tgt("sub/old.txt", "o"); // in a folder the walk does not enter without subfolders
    Tgt("notes.txt", "n");   // gone
    setup.txbFileExtension = "txt";
    setup.txbExcludedFilepaths = "skipme";
    setup.chkIncludeSubfolders = 0;
    setup.extra.bRemoveDeleted = true;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_TRUE(Has("tgt/photo.jpg"));
    EXPECT_TRUE(Has("tgt/skipme.txt"));
    EXPECT_TRUE(Has("tgt/sub/old.txt"));
    EXPECT_FALSE(Has("tgt/notes.txt"));
    EXPECT_EQ(state.lngTotalNumRemovedFiles, 1);
}

TEST_F(GoneTest, ARemovalNeverFollowsALinkOutOfTheTarget) {
    Src("keep.txt", "k");
    dir.createFile("outside/precious.txt", "p");
    if (!MakeSymlink(dir.path("outside"), dir.path("tgt/link"), true))
        GTEST_SKIP() << "the system makes no links here";
    setup.extra.bRemoveDeleted = true;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_TRUE(Has("outside/precious.txt"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path("tgt/link"))) << "the link itself is gone";
}

// Swaps the gone folder "a" of the target for a link to a folder outside it while the removal
// asks about its limit, then answers Yes.
class SwappingInteraction : public ScriptedInteraction {
public:
    SwappingInteraction(OperationState& state, TempDir& dir) : ScriptedInteraction(&state), dir_(dir) {}
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        if (request.title != GetProgramText(1814))
            return ScriptedInteraction::ShowMessage(request);
        std::filesystem::rename(dir_.path("tgt/a"), dir_.path("tgt-a-moved"));
        swapped = MakeSymlink(dir_.path("outside"), dir_.path("tgt/a"), true);
        return MessageAnswer::Yes;
    }
    bool swapped = false;

private:
    TempDir& dir_;
};

TEST_F(GoneTest, AGoneFolderSwappedForALinkBeforeItsRemovalIsNeverFollowed) {
    BackUpThenRenameFolder();
    dir.createFile("outside/precious.txt", "p");
    dir.createFile("outside/a/x.txt", "also precious");
    setup.extra.bRemoveDeleted = true;
    setup.extra.lngMaxRemove = 1;
    SwappingInteraction swapping(state, dir);
    swapping.answerConfirm(true);
    swapping.answerExistingReportFile(1);
    ReportModel swappingReport{state, setup, swapping};
    swappingReport.setFreeSpaceFunction([](const std::string&) { return 1e12; });
    ASSERT_EQ(cmdBackupModifiedFiles_MouseUp(setup, state, swapping, swappingReport, &resultText),
              intResultDone);
    if (!swapping.swapped)
        GTEST_SKIP() << "the system makes no links here";
    EXPECT_EQ(dir.readFile("outside/precious.txt"), "p");
    EXPECT_EQ(dir.readFile("outside/a/x.txt"), "also precious");
    EXPECT_TRUE(Has("tgt-a-moved/x.txt"));
}

struct LimitCase {
    const char* name;
    bool unattended;
    bool refuseWithoutAsking; // as the command-line tool does
    MessageAnswer answer;     // the window's answer, when it asks
    bool removed;
};

TEST_F(GoneTest, PastTheLimitTheWindowAsksAndTheToolRefuses) {
    const LimitCase cases[] = {
        {"window, Yes", false, false, MessageAnswer::Yes, true},
        {"window, No", false, false, MessageAnswer::No, false},
        {"tool", false, true, MessageAnswer::No, false},
        {"unattended", true, false, MessageAnswer::No, false},
    };
    Src("keep.txt", "k");
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        Tgt("gone1.txt", "1");
        Tgt("gone2.txt", "2");
        setup.extra.bRemoveDeleted = true;
        setup.extra.lngMaxRemove = 1;
        state.blnScheduledTask = c.unattended;
        state.blnRefuseBeyondRemovalLimit = c.refuseWithoutAsking;
        if (!c.unattended)
            Attend();
        const bool asks = !c.unattended && !c.refuseWithoutAsking;
        if (asks)
            ui.answerMessage(c.answer);
        const std::size_t before = ui.messages().size();
        ASSERT_EQ(BackupModified(), intResultDone);
        EXPECT_EQ(ui.messages().size() - before, asks ? 1u : 0u);
        EXPECT_EQ(Has("tgt/gone1.txt"), !c.removed);
        EXPECT_EQ(Has("tgt/gone2.txt"), !c.removed);
        EXPECT_EQ(state.blnRemovalRefused, !c.removed && !asks);
        if (!c.removed)
            EXPECT_NE(ui.screenText().find(GetProgramText(1811)), std::string::npos);
    }
}

TEST_F(GoneTest, AReplacedCopyIsKeptInTheVersionsFolderAndGoesAfterItsDays) {
    Src("a/x.txt", "old", At(3, 1, 10, 0));
    Include({"a"});
    ASSERT_EQ(Backup(), intResultDone);
    const std::uint64_t oldCopy = platform::statPath(target + "a/x.txt").inode;
    Src("a/x.txt", "new content", At(3, 2, 10, 0));
    setup.extra.intKeepVersionsDays = 7;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_EQ(dir.readFile("tgt/a/x.txt"), "new content");
    EXPECT_EQ(dir.readFile("tgt/" + kRunFolder + "a/x.txt"), "old");
    // Moved, not copied: the very file that was the copy.
    EXPECT_EQ(platform::statPath(target + kRunFolder + "a/x.txt").inode, oldCopy);
    EXPECT_EQ(state.lngTotalNumVersionsKept, 1);
    EXPECT_NE(ui.screenText().find("Number of earlier copies moved to the versions folder: 1"),
              std::string::npos);

    // A backup of all files replaces the copies it finds the same without keeping them again.
    ui.answerMessage(MessageAnswer::Yes); // the target has files: all the same
    Attend();
    ASSERT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(state.lngTotalNumVersionsKept, 0);

    // The versions are never files gone from the source, nor backed up, nor new.
    ASSERT_EQ(CheckState(), intResultDone);
    EXPECT_EQ(state.lngTotalNumGoneFolders + state.lngTotalNumGoneFiles, 0);
    EXPECT_EQ(state.lngTotalNumNewFiles, 0);

    // Seven days on they stay; past them they go.
    clock.set(platform::LocalDateTime{2024, 3, 16, 12, 0, 0, 60});
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_TRUE(Has("tgt/" + kRunFolder + "a/x.txt"));
    clock.set(platform::LocalDateTime{2024, 3, 16, 12, 1, 0, 60});
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_FALSE(Has("tgt/" + kRunFolder));
    EXPECT_EQ(state.lngTotalNumVersionsExpired, 1);
    EXPECT_TRUE(Has("tgt/a/x.txt"));
}

TEST_F(GoneTest, ARemovalWithVersionsMovesWhatIsGoneIntoThem) {
    BackUpThenRenameFolder();
    setup.extra.bRemoveDeleted = true;
    setup.extra.intKeepVersionsDays = 30;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_FALSE(Has("tgt/a"));
    EXPECT_EQ(dir.readFile("tgt/" + kRunFolder + "a/deep/y.txt"), "y");
    // The next removal does not take the versions folder for a folder gone from the source.
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_TRUE(Has("tgt/" + kRunFolder + "a/x.txt"));
    EXPECT_EQ(state.lngTotalNumRemovedFiles + state.lngTotalNumRemovedFolders, 0);
}

TEST_F(GoneTest, ASourceFolderOfTheVersionsFoldersNameIsNamedAndNeverMixedIn) {
    Src(".kestrel-versions/mine.txt", "mine");
    Src("keep.txt", "k");
    Include({".kestrel-versions"});
    setup.extra.intKeepVersionsDays = 7;
    ASSERT_EQ(Backup(), intResultDone);
    EXPECT_FALSE(Has("tgt/.kestrel-versions/mine.txt"));
    EXPECT_EQ(state.intNumWarnings, 1);
    EXPECT_NE(ui.screenText().find(GetProgramText(1820) + " " + source + ".kestrel-versions."),
              std::string::npos)
        << ui.screenText();
}

TEST(VersionsRunFolderName, ReadsBackWhatItWrites) {
    const platform::LocalDateTime moment{2026, 12, 1, 9, 5, 7, 0};
    const std::string name = VersionsRunFolderName(moment);
    EXPECT_EQ(name, "2026-12-01 09.05.07");
    platform::LocalDateTime read;
    ASSERT_TRUE(ParseVersionsRunFolderName(name, read));
    EXPECT_EQ(read.day, 1);
    EXPECT_TRUE(ParseVersionsRunFolderName(name + " (2)", read));
    for (const char* other : {"2026-12-01", "notes", "2026-13-01 09.05.07", "2026-12-01 09.05.07x"})
        EXPECT_FALSE(ParseVersionsRunFolderName(other, read)) << other;
}

} // namespace
} // namespace kestrel::testing
