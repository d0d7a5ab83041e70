#include "EngineFixture.h"

#include "platform/TargetFileSystem.h"

#include "modules/Language.h"
#include "platform/FileSystemType.h"

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

// The indent of a remark reaches the screen only, never the report file.
std::string Indent(bool screen) {
    return screen ? "    " : "";
}

TEST_F(EngineTest, BackupOfAllFilesReportsEachFolderAndTheTotals) {
    Src("a.txt", "alpha", At(3, 1, 10, 0));
    Src("b.txt", "bravo!", At(3, 1, 10, 0));
    Src("sub/c.txt", "charlie", At(3, 1, 10, 0));
    Include({"sub"});
    UseReportFile();
    ui.answerConfirm(true);

    EXPECT_EQ(BackupAll(), intResultDone);

    const std::string expected = Stamp() + CRLF + CRLF +                                                  //
                                 "source folder = " + source + CRLF +                                     //
                                 "    2 files in {source folder}  Both copied." + CRLF +                  //
                                 "    1 file  in {source folder}" + Native("sub/") + "  Copied." + CRLF + //
                                 CRLF +                                                                   //
                                 "Number of non-empty folders accessed: 2" + CRLF +                       //
                                 "Number of files copied: 3" + CRLF +                                     //
                                 "Sum of sizes of files copied: 18 bytes" + CRLF +                        //
                                 CRLF + Stamp() + CRLF;
    EXPECT_EQ(ui.screenText(), expected);
    EXPECT_EQ(ReportFileText(), expected);
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "alpha");
    EXPECT_EQ(dir.readFile("tgt/sub/c.txt"), "charlie");
    ASSERT_EQ(ui.confirmations().size(), 1u);
    EXPECT_EQ(ui.confirmations()[0].caption, "Confirm operation");
    EXPECT_EQ(ui.confirmations()[0].question, GetProgramText(135));
    EXPECT_EQ(ui.label(ReportLabel::Caption), "Back up all files in setup");
}

TEST_F(EngineTest, BackupOfNewAndModifiedFilesCopiesOnlyWhatChanged) {
    // A FAT target: its times are local and coarse, so the minute tolerances apply.
    platform::ScopedFileSystemTraitsForTesting fatTarget(platform::presumedTraitsOf("vfat"));
    const std::int64_t t1015 = At(3, 1, 10, 15);
    Src("late.txt", "L", t1015);
    Src("new.txt", "N", t1015);
    Src("same.txt", "S", t1015);
    Src("size.txt", "ZZ", t1015);
    Src("tz.txt", "T", t1015);
    Tgt("late.txt", "L", At(3, 1, 18, 45)); // 510 minutes apart: modified
    Tgt("same.txt", "S", At(3, 1, 10, 16)); // one minute apart: unchanged
    Tgt("size.txt", "Z", t1015);            // another length: modified
    Tgt("tz.txt", "T", At(3, 1, 11, 15));   // one hour apart, a time-zone shift: unchanged
    UseReportFile();
    ui.answerConfirm(true);

    EXPECT_EQ(BackupModified(), intResultDone);

    auto expected = [&](bool screen) {
        return Stamp() + CRLF + CRLF +                            //
               "source folder = " + source + CRLF +               //
               "    5 files in " + source + CRLF +                //
               "      " + source + "late.txt (modified)" + CRLF + //
               "      " + source + "new.txt (new)" + CRLF +       //
               "      " + source + "size.txt (modified)" + CRLF + //
               Indent(screen) + "  2 modified files and 1 file not previously backed up.  All Copied." +
               CRLF + CRLF + CRLF +                                               //
               "For files new or modified at any time:" + CRLF +                  //
               "Number of modified files: 2" + CRLF +                             //
               "Number of files not previously backed up: 1" + CRLF +             //
               "Number of files modified or not previously backed up: 3" + CRLF + //
               "Number of files copied: 3" + CRLF +                               //
               "Sum of sizes of files copied: 4 bytes" + CRLF +                   //
               CRLF + Stamp() + CRLF;
    };
    EXPECT_EQ(ui.screenText(), expected(true));
    EXPECT_EQ(ReportFileText(), expected(false));
    EXPECT_EQ(ui.label(ReportLabel::Caption), "Back up new and modified (at any time)");

    // The copies have the source's content and modification time; unchanged copies stay.
    EXPECT_EQ(dir.readFile("tgt/size.txt"), "ZZ");
    EXPECT_EQ(platform::statPath(target + "late.txt").mtimeSeconds, t1015);
    EXPECT_EQ(platform::statPath(target + "same.txt").mtimeSeconds, At(3, 1, 10, 16));
    EXPECT_EQ(platform::statPath(target + "tz.txt").mtimeSeconds, At(3, 1, 11, 15));
}

TEST_F(EngineTest, CheckOfBackupStateCountsNewAndModifiedFilesWithoutCopying) {
    Src("a.txt", "a", At(3, 1, 9, 0));
    Src("b.txt", "b", At(3, 1, 9, 0));
    Src("sub/c.txt", "c", At(3, 1, 9, 0));
    Tgt("a.txt", "a", At(3, 1, 9, 0));
    Tgt("b.txt", "bb", At(3, 1, 9, 0));
    Include({"sub"});
    UseReportFile();

    EXPECT_EQ(CheckState(), intResultDone);

    EXPECT_EQ(ui.screenText(), "source folder = " + source + CRLF +                                   //
                                   "    2 files in {source folder}" + CRLF +                          //
                                   "      " + source + "b.txt (modified)" + CRLF +                    //
                                   "    " + "  1 modified file and 0 files not backed up.  " + CRLF + //
                                   "    1 file  in {source folder}" + Native("sub/") + CRLF +         //
                                   "      " + source + Native("sub/c.txt") + " (new)" + CRLF +        //
                                   "    " + CRLF + // the indent of a remark that says nothing
                                   "For files new or modified at any time:" + CRLF + //
                                   "Number of modified files: 1" + CRLF +            //
                                   "Number of files not backed up: 1" + CRLF +       //
                                   "Number of files modified or not backed up: 2" + CRLF);
    EXPECT_FALSE(dir.exists("tgt/sub"));
    EXPECT_EQ(dir.readFile("tgt/b.txt"), "bb");
    EXPECT_FALSE(dir.exists("report.txt")) << "the check writes no report file";
}

TEST_F(EngineTest, CheckOfBackupStateAfterABackupEndsWithAllFilesBackedUp) {
    Src("a.txt", "a", At(3, 1, 9, 0));
    Src("sub/c.txt", "c", At(3, 1, 9, 0));
    Include({"sub"});
    UseReportFile();
    ui.answerConfirm(true);
    ASSERT_EQ(BackupAll(), intResultDone);
    const std::string reportAfterBackup = ReportFileText();

    EXPECT_EQ(CheckState(), intResultDone);

    EXPECT_EQ(ui.screenText(), "source folder = " + source + CRLF +                  //
                                   CRLF +                                            //
                                   "For files new or modified at any time:" + CRLF + //
                                   "Number of modified files: 0" + CRLF +            //
                                   "Number of files not backed up: 0" + CRLF +       //
                                   "All files backed up." + CRLF);
    EXPECT_EQ(ReportFileText(), reportAfterBackup);
}

TEST_F(EngineTest, ListingOfIncludedSubfoldersCountsFoldersFilesAndSelectedSizes) {
    Src("a.txt", "12345");
    Src("b.doc", "1234567890");
    Src("sub/c.txt", "123");
    Src("sub/deep/d.txt", "1");
    Src("other/e.txt", "not included");
    Include({"sub"});
    setup.chkIncludeSubfolders = 1;
    setup.txbFileExtension = ".TXT";
    setup.txbDirectory[1].clear(); // a listing needs no target

    EXPECT_EQ(List(), intResultDone);

    EXPECT_EQ(ui.screenText(), "source folder = " + source + CRLF +                                //
                                   "    2 files in {source folder}" + CRLF +                       //
                                   "    1 file  in {source folder}" + Native("sub/") + CRLF +      //
                                   "    1 file  in {source folder}" + Native("sub/deep/") + CRLF + //
                                   CRLF +                                                          //
                                   "Number of folders: 3" + CRLF +                                 //
                                   "Number of files: 4" + CRLF +                                   //
                                   "Sum of file sizes: 9 bytes" + CRLF);
    EXPECT_EQ(ui.label(ReportLabel::Caption), "List included subfolders");
    EXPECT_EQ(ui.eventsOf(ScriptedInteraction::Kind::Label)[0],
              "Caption = List included subfolders with file extension 'txt'");
    EXPECT_EQ(setup.txbFileExtension, "txt");
}

TEST_F(EngineTest, ListingOfTheSourceFolderFilesIsSortedAndStaysOffTheReportFile) {
    Src("beta.txt", std::string(1000, 'b'));
    Src("Alpha.txt", std::string(24, 'a'));
    Src("gamma", "");
    UseReportFile();
    setup.chkExcludeFilesInSourceFolder = 1;

    ASSERT_TRUE(ListButtonListsFiles(setup));
    EXPECT_EQ(List(true), intResultDone);

    EXPECT_EQ(ui.screenText(), GetProgramText(381) + " " + source + CRLF + CRLF +            //
                                   "Alpha.txt" + CRLF + "beta.txt" + CRLF + "gamma" + CRLF + //
                                   CRLF + GetProgramText(384) + " 1,024 bytes" +             //
                                   CRLF + CRLF + GetProgramText(385));
    EXPECT_EQ(ui.label(ReportLabel::Caption), GetProgramText(380));
    EXPECT_FALSE(dir.exists("report.txt"));
}

TEST_F(EngineTest, ACancelledBackupStillReportsTheTotalsOfTheFilesDone) {
    Src("a/one.txt", "1");
    Src("b/two.txt", "22");
    Src("c/three.txt", "333");
    Include({"a", "b", "c"});
    setup.chkPauseAfterFirstCopy = 1;
    UseReportFile();
    ui.answerConfirm(true);
    ui.answerPause(ScriptedInteraction::PauseAnswer::Cancel);

    EXPECT_EQ(BackupAll(), intResultDone);

    const std::string expected = Stamp() + CRLF + CRLF +                                                //
                                 "source folder = " + source + CRLF +                                   //
                                 "    1 file  in {source folder}" + Native("a/") + "  Copied." + CRLF + //
                                 GetProgramText(49) + CRLF +                                            //
                                 CRLF +                                                                 //
                                 "Number of non-empty folders accessed: 1" + CRLF +                     //
                                 "Number of files copied: 1" + CRLF +                                   //
                                 "Sum of sizes of files copied: 1 bytes" + CRLF +                       //
                                 CRLF + Stamp() + CRLF;
    EXPECT_EQ(ui.screenText(), expected);
    EXPECT_EQ(ReportFileText(), expected);
    EXPECT_FALSE(dir.exists("tgt/b"));
    // The pause came with its message, titled with the operation.
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "Back up all files in setup");
    EXPECT_EQ(ui.messages()[0].text, "Source disk or folder: " + source + CRLF +
                                         "Target disk or folder: " + target + CRLF + CRLF +
                                         GetProgramText(391) + CRLF + GetProgramText(392));
}

TEST_F(EngineTest, AnExistingReportFileIsAppendedToAfterARowOfDashes) {
    Src("a.txt", "a", At(3, 1, 9, 0));
    UseReportFile();
    dir.createFile("report.txt", "Earlier report" + CRLF);
    ui.answerExistingReportFile(2);
    ui.answerConfirm(true);

    EXPECT_EQ(BackupModified(), intResultDone);

    auto body = [&](bool screen) {
        return Stamp() + CRLF + CRLF +                                //
               "source folder = " + source + CRLF +                   //
               "    1 file  in " + source + CRLF +                    //
               "      " + source + "a.txt (new)" + CRLF +             //
               Indent(screen) + "Copied." + CRLF +                    //
               CRLF + CRLF +                                          //
               "For files new or modified at any time:" + CRLF +      //
               "Number of modified files: 0" + CRLF +                 //
               "Number of files not previously backed up: 1" + CRLF + //
               "Number of files copied: 1" + CRLF +                   //
               "Sum of sizes of files copied: 1 bytes" + CRLF +       //
               CRLF + Stamp() + CRLF;
    };
    EXPECT_EQ(ui.screenText(), body(true));
    EXPECT_EQ(ReportFileText(),
              "Earlier report" + CRLF + CRLF + std::string(Stamp().size(), '-') + CRLF + CRLF + body(false));
}

TEST_F(EngineTest, AnUnattendedBackupAppendsToAnExistingReportFileAndAsksNothing) {
    Src("a.txt", "a");
    UseReportFile();
    dir.createFile("report.txt", "Earlier report" + CRLF);
    state.blnScheduledTask = true;

    EXPECT_EQ(BackupModified(), intResultDone);

    const std::string text = ReportFileText();
    EXPECT_EQ(text.rfind("Earlier report" + CRLF, 0), 0u) << "the earlier report is kept";
    EXPECT_NE(text.find(CRLF + Stamp()), std::string::npos);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.confirmations().empty());
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "a");
}

} // namespace
} // namespace kestrel::testing
