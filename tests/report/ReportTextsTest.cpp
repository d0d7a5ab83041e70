#include "report/ReportTexts.h"

#include "modules/Language.h"
#include "report/ReportFixture.h"
#include "setup/ChoiceLists.h"
#include "support/BuildTexts.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kestrel::testing {
namespace {

using Kind = ScriptedInteraction::Kind;

class ReportTextsTest : public ReportFixture {
protected:
    // What one remark adds to screen and report file after a count line that ended
    // (`lineEnded`) or was left open.
    struct Added {
        std::string screen;
        std::string file;
    };
    Added AddedBy(bool lineEnded, const std::function<void()>& remark) {
        report.Clear();
        StartBackupWithReportFile();
        state.intOperation = operation;
        report.Output("    3 files in /src/", lineEnded);
        const std::size_t screenBefore = report.Text().size();
        const std::size_t fileBefore = ReportFileText().size();
        remark();
        return {report.Text().substr(screenBefore), ReportFileText().substr(fileBefore)};
    }

    int operation = intOperationBackupModifiedFiles;
};

TEST_F(ReportTextsTest, TheCountLineOfAFolder) {
    const struct {
        std::int64_t count;
        std::string line;
    } cases[] = {
        {-1, "    ? files  in /src/a/"},   {0, "    0 files in /src/a/"},
        {1, "    1 file  in /src/a/"},     {2, "    2 files in /src/a/"},
        {12345, "12345 files in /src/a/"}, {123456, "123456 files in /src/a/"}, // more digits in full
    };
    setup.txbDirectory[0] = "/src/";
    for (const auto& c : cases) {
        report.Clear();
        DisplayNumFilesInFolder(report, true, "/src/a/", c.count, true, true, true);
        EXPECT_EQ(report.Text(), c.line + "\r\n") << c.count;
    }
}

TEST_F(ReportTextsTest, AFolderOfNoFilesGivesNoLineUnlessAsked) {
    DisplayNumFilesInFolder(report, true, "/src/a/", 0, true, false, true);
    EXPECT_EQ(report.Text(), "");
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ReportTextsTest, TheSourceFolderIsAbbreviatedWhenLongAndTheSourceHasSubfolders) {
    const std::string twenty = "/abcdefghijklmnopqr/"; // 20 characters
    const std::string twentyOne = "/abcdefghijklmnopqrs/";
    const struct {
        std::string source;
        bool subfoldersExist;
        std::string folderPart;
    } cases[] = {
        {twenty, true, twenty + "sub/"},
        {twentyOne, true, "{source folder}sub/"},
        {twentyOne, false, twentyOne + "sub/"},
    };
    for (const auto& c : cases) {
        setup.txbDirectory[0] = c.source;
        state.blnSubfoldersExist = c.subfoldersExist;
        EXPECT_EQ(NumFilesInFolderLine(report, true, c.source + "sub/", 2), "    2 files in " + c.folderPart)
            << c.source;
    }
}

TEST_F(ReportTextsTest, TheTargetFolderIsAbbreviatedWhenLongAndHoldingFiles) {
    const std::string target = dir.createFolder("target folder of the deletion/");
    ASSERT_GT(target.size(), 20u);
    setup.txbDirectory[1] = target;
    EXPECT_EQ(NumFilesInFolderLine(report, false, target + "sub/", 2), "    2 files in " + target + "sub/")
        << "a target without files of its own keeps its path";

    dir.createFile("target folder of the deletion/a.txt", "a");
    EXPECT_EQ(NumFilesInFolderLine(report, false, target + "sub/", 2), "    2 files in {target folder}sub/");
}

TEST_F(ReportTextsTest, AHeldBackCountLineWaitsForTheFirstNewOrModifiedFile) {
    setup.txbDirectory[0] = "/src/";
    DisplayNumFilesInFolder(report, true, "/src/a/", 3, false, false, false);
    EXPECT_EQ(report.Text(), "");
    EXPECT_EQ(state.strNumFilesInFolder, "    3 files in /src/a/");

    OutputHeldBackFolderLine(report);
    EXPECT_EQ(report.Text(), "    3 files in /src/a/\r\n");
}

TEST_F(ReportTextsTest, TheWaitingNoteIsForFoldersOfFourHundredFiles) {
    const struct {
        std::int64_t files;
        bool suppressed;
        bool shown;
    } cases[] = {{399, false, false}, {400, false, true}, {400, true, false}};
    for (const auto& c : cases) {
        report.Clear();
        state.blnSuppressDetailedReports = c.suppressed;
        EXPECT_EQ(ShowWaitingNote(report, c.files), c.shown) << c.files;
        EXPECT_EQ(report.Text(), c.shown ? GetProgramText(60) + " " : "") << c.files;
        RemoveWaitingNote(report);
        EXPECT_EQ(report.Text(), "");
    }
}

TEST_F(ReportTextsTest, RemarksOfTheAllFilesBackup) {
    operation = intOperationBackupAllFiles;
    const struct {
        std::int64_t files, copied;
        bool lineEnded;
        std::string screen, file;
    } cases[] = {
        {1, 1, false, "  Copied.\r\n", "  Copied.\r\n"},
        {2, 2, false, "  Both copied.\r\n", "  Both copied.\r\n"},
        {3, 3, false, "  All copied.\r\n", "  All copied.\r\n"},
        {3, 3, true, "      All copied.\r\n", "  All copied.\r\n"},
        {3, 0, false, "  None copied.\r\n", "  None copied.\r\n"},
        {3, 1, false, "  Only one file copied.\r\n", "  Only one file copied.\r\n"},
        {3, 2, false, "  Only 2 files copied.\r\n", "  Only 2 files copied.\r\n"},
        {3, 2, true, "  Only 2 files copied.\r\n", "  Only 2 files copied.\r\n"}, // no indent
    };
    for (const auto& c : cases) {
        const Added added =
            AddedBy(c.lineEnded, [&] { DisplayFilesCopied(report, c.files, 0, 0, c.copied); });
        EXPECT_EQ(added.screen, c.screen) << c.files << " files, " << c.copied << " copied";
        EXPECT_EQ(added.file, c.file) << c.files << " files, " << c.copied << " copied";
    }
}

TEST_F(ReportTextsTest, RemarksOfTheModifiedFilesBackup) {
    const struct {
        std::int64_t files, added, modified, copied;
        std::string file; // the screen has four more blanks in front
    } cases[] = {
        {2, 2, 0, 2, "  Neither previously backed up.  Both copied.\r\n"},
        {3, 3, 0, 3, "  None previously backed up.  All Copied.\r\n"},
        {1, 1, 0, 1, "Copied.\r\n"}, // one new file: no first remark
        {3, 0, 3, 3, "  All are modified.  All Copied.\r\n"},
        {1, 0, 1, 1, "Copied.\r\n"},
        {3, 1, 2, 3, "  2 modified files and 1 file not previously backed up.  All Copied.\r\n"},
        {4, 1, 1, 2, "  1 modified file and 1 file not previously backed up.  Both copied.\r\n"},
        {3, 1, 2, 1, "  2 modified files and 1 file not previously backed up.  One file copied.\r\n"},
        {5, 2, 2, 3, "  2 modified files and 2 files not previously backed up.  3 files copied."}, // open
        {3, 1, 2, 0, "  2 modified files and 1 file not previously backed up.  "},                 // open
    };
    for (const auto& c : cases) {
        const Added added =
            AddedBy(true, [&] { DisplayFilesCopied(report, c.files, c.added, c.modified, c.copied); });
        EXPECT_EQ(added.screen, "    " + c.file)
            << c.files << "/" << c.added << "/" << c.modified << "/" << c.copied;
        EXPECT_EQ(added.file, c.file) << c.files << "/" << c.added << "/" << c.modified << "/" << c.copied;
    }

    const Added nothing = AddedBy(true, [&] { DisplayFilesCopied(report, 3, 0, 0, 0); });
    EXPECT_EQ(nothing.screen, "");
    EXPECT_EQ(nothing.file, "");

    const Added sameLine = AddedBy(false, [&] { DisplayFilesCopied(report, 2, 2, 0, 2); });
    EXPECT_EQ(sameLine.screen, "  Neither previously backed up.  Both copied.\r\n")
        << "no indent when the count line is still open";
}

TEST_F(ReportTextsTest, RemarksOfTheBackupStateCheck) {
    operation = intOperationCheckBackupState;
    const struct {
        std::int64_t files, added, modified;
        std::string screen;
    } cases[] = {
        {2, 2, 0, "      Neither are backed up.\r\n"},
        {3, 3, 0, "      None are backed up.\r\n"},
        {1, 1, 0, "    "},
        {2, 0, 2, "      Both are modified.\r\n"},
        {3, 0, 3, "      All are modified.\r\n"},
        {3, 1, 1, "      1 modified file and 1 file not backed up.  \r\n"},
        {4, 1, 2, "      2 modified files and 1 file not backed up.  \r\n"},
        {3, 0, 0, ""},
    };
    for (const auto& c : cases) {
        const Added added =
            AddedBy(true, [&] { DisplayNewAndModifiedFiles(report, c.files, c.added, c.modified); });
        EXPECT_EQ(added.screen, c.screen) << c.files << "/" << c.added << "/" << c.modified;
        EXPECT_EQ(added.file, "") << "the backup-state check writes no report file";
    }
}

TEST_F(ReportTextsTest, RemarksOfTheDeletion) {
    operation = intOperationDeleteAllBackupFiles;
    const struct {
        std::int64_t files, deleted;
        std::string text;
    } cases[] = {
        {1, 1, "  One file deleted.\r\n"}, {2, 2, "  Both deleted.\r\n"},    {3, 3, "  All deleted.\r\n"},
        {1, 0, "  Not deleted.\r\n"},      {2, 0, "  Neither deleted.\r\n"}, {3, 0, "  None deleted.\r\n"},
        {3, 1, "  One file deleted.\r\n"}, {5, 3, "  3 files deleted.\r\n"},
    };
    for (const auto& c : cases) {
        for (bool lineEnded : {false, true}) {
            const Added added = AddedBy(lineEnded, [&] { DisplayFilesDeleted(report, c.files, c.deleted); });
            EXPECT_EQ(added.screen, c.text) << c.files << "/" << c.deleted << " (never indented)";
            EXPECT_EQ(added.file, c.text) << c.files << "/" << c.deleted;
        }
    }
}

TEST_F(ReportTextsTest, EverySummaryWithItsVariants) {
    const std::string since = ModifiedSinceItems()[0].text;
    const std::string threeMb = "3,145,728 bytes (3.00 Mb)";
    const struct {
        const char* name;
        void (*summary)(ReportModel&);
        std::function<void(OperationState&)> totals;
        std::string text;
    } cases[] = {
        {"list", ReportForListFolders,
         [&](OperationState& s) {
             s.lngTotalNumFolders = 1234;
             s.lngTotalNumFiles = 1;
             s.dblTotalFilesize = 3 * 1048576.0;
         },
         "\r\nNumber of folders: 1,234\r\nNumber of files: 1\r\nSum of file sizes: " + threeMb + "\r\n"},
        {"all files, nothing copied", ReportForBackupAllFiles,
         [](OperationState& s) { s.lngTotalNumFolders = 2; },
         "\r\nNumber of non-empty folders accessed: 2\r\nNumber of files copied: 0\r\n"},
        {"all files, copied with errors", ReportForBackupAllFiles,
         [](OperationState& s) {
             s.lngTotalNumFolders = 2;
             s.lngTotalNumFilesCopied = 5000;
             s.lngTotalNumCopyErrors = 1;
             s.dblTotalFilesize = 1000;
         },
         "\r\nNumber of non-empty folders accessed: 2\r\nNumber of files copied: 5,000\r\n"
         "Number of errors when attempting to copy a file: 1\r\nSum of sizes of files copied: 1,000 "
         "bytes\r\n"},
        {"modified, nothing", ReportForBackupModifiedFiles, [](OperationState&) {},
         "\r\n\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 0\r\nNumber of files not previously backed up: 0\r\n"
             "Number of files copied: 0\r\nSum of sizes of files copied: 0 bytes\r\n"},
        {"modified, both kinds", ReportForBackupModifiedFiles,
         [](OperationState& s) {
             s.lngTotalNumModifiedFiles = 1;
             s.lngTotalNumNewFiles = 1999;
             s.lngTotalNumFilesCopied = 1998;
             s.lngTotalNumCopyErrors = 2;
             s.dblTotalFilesize = 3 * 1048576.0;
         },
         "\r\n\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 1\r\nNumber of files not previously backed up: 1,999\r\n"
             "Number of files modified or not previously backed up: 2,000\r\nNumber of files copied: "
             "1,998\r\n"
             "Number of errors when attempting to copy a file: 2\r\nSum of sizes of files copied: " +
             threeMb + "\r\n"},
        {"modified, one warning unattended", ReportForBackupModifiedFiles,
         [](OperationState& s) {
             s.blnScheduledTask = true;
             s.intNumWarnings = 1;
         },
         "\r\n\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 0\r\nNumber of files not previously backed up: 0\r\n"
             "Number of files copied: 0\r\nSum of sizes of files copied: 0 bytes\r\n"
             "\r\nThis report contains one warning.\r\n"},
        {"modified, three warnings unattended", ReportForBackupModifiedFiles,
         [](OperationState& s) {
             s.blnScheduledTask = true;
             s.intNumWarnings = 3;
         },
         "\r\n\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 0\r\nNumber of files not previously backed up: 0\r\n"
             "Number of files copied: 0\r\nSum of sizes of files copied: 0 bytes\r\n"
             "\r\nThis report contains 3 warnngs.\r\n"},
        {"modified, warnings not unattended", ReportForBackupModifiedFiles,
         [](OperationState& s) { s.intNumWarnings = 3; },
         "\r\n\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 0\r\nNumber of files not previously backed up: 0\r\n"
             "Number of files copied: 0\r\nSum of sizes of files copied: 0 bytes\r\n"},
        {"delete, no errors", ReportForDeleteAllBackups,
         [](OperationState& s) { s.lngTotalNumFilesDeleted = 1500; },
         "\r\nNumber of files deleted: 1,500\r\nNo file deletion errors.\r\n"},
        {"delete, errors", ReportForDeleteAllBackups,
         [](OperationState& s) {
             s.lngTotalNumFilesDeleted = 1;
             s.lngTotalNumDeletionErrors = 2;
         },
         "\r\nNumber of files deleted: 1\r\nNumber of errors when attempting to delete a file: 2\r\n"},
        {"check, all backed up", ReportForCheckBackupState, [](OperationState&) {},
         "\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 0\r\nNumber of files not backed up: 0\r\nAll files backed "
             "up.\r\n"},
        {"check, modified only", ReportForCheckBackupState,
         [](OperationState& s) { s.lngTotalNumModifiedFiles = 2; },
         "\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 2\r\nNumber of files not backed up: 0\r\n"},
        {"check, both kinds", ReportForCheckBackupState,
         [](OperationState& s) {
             s.lngTotalNumModifiedFiles = 1;
             s.lngTotalNumNewFiles = 1;
         },
         "\r\nFor files new or modified " + since +
             ":\r\nNumber of modified files: 1\r\nNumber of files not backed up: 1\r\n"
             "Number of files modified or not backed up: 2\r\n"},
    };
    for (const auto& c : cases) {
        report.Clear();
        state.ResetTotals();
        state.blnScheduledTask = false;
        c.totals(state);
        c.summary(report);
        EXPECT_EQ(report.Text(), c.text) << c.name;
    }
}

TEST_F(ReportTextsTest, TheBackupSummariesHideTheBytesCopiedLabel) {
    for (auto summary : {ReportForBackupAllFiles, ReportForBackupModifiedFiles}) {
        ui.clearEvents();
        summary(report);
        EXPECT_EQ(ui.eventsOf(Kind::LabelVisible), std::vector<std::string>{"lblBytesCopied hidden"});
    }
}

TEST_F(ReportTextsTest, TheSummaryGoesToTheReportFileAsShown) {
    StartBackupWithReportFile();
    state.lngTotalNumFilesCopied = 2;
    ReportForBackupModifiedFiles(report);
    EXPECT_EQ(ReportFileText(), report.Text());
}

TEST_F(ReportTextsTest, TheFreeSpaceLabelNamesTheDrive) {
    DisplayFreeSpace(report, dir.path());
    const std::string prefix = GetProgramText(168) + " " + dir.path() + " ";
    const std::string label = ui.label(ReportLabel::lblFreeSpace);
    EXPECT_EQ(label.rfind(prefix, 0), 0u) << label;
    EXPECT_GT(label.size(), prefix.size()) << "the free space of a readable drive is shown";
    EXPECT_TRUE(ui.labelVisible(ReportLabel::lblFreeSpace));
}

} // namespace
} // namespace kestrel::testing
