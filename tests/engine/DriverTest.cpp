#include "EngineFixture.h"

#include "modules/Language.h"
#include "support/Unprivileged.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

// Silent runs, as a multiple backup makes them: a refusal comes back as code and text only.
class RefusalTest : public EngineTest {
protected:
    int RunSilently(int op) {
        state.intOperation = op;
        OperationContext context{setup, state, ui, report};
        options.blnSilent = true;
        return RunFolderOperation(context, options, resultText);
    }
    FolderOperationOptions options;
};

TEST_F(RefusalTest, ASetupThatCannotRunIsRefusedWithItsCodeAndText) {
    struct Case {
        const char* name;
        void (*arrange)(RefusalTest&);
        int code;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"files of the source excluded and no subfolder included",
         [](RefusalTest& t) {
             t.Src("a.txt", "a");
             t.setup.chkExcludeFilesInSourceFolder = 1;
         },
         intResultNothingToDo, "Setup implies nothing to do"},
        {"an empty source folder", [](RefusalTest&) {}, intResultNoFilesInSource, "No files found"},
        {"no file passes the extension filter",
         [](RefusalTest& t) {
             t.Src("a.txt", "a");
             t.setup.txbFileExtension = "doc";
         },
         intResultNoFileSelected, "No files found"},
        {"subfolders but none included", [](RefusalTest& t) { t.Src("sub/a.txt", "a"); },
         intResultNoFileSelected, "No files found"},
        {"every file excluded by a fragment",
         [](RefusalTest& t) {
             t.Src("a.txt", "a");
             t.setup.txbExcludedFilepaths = "a.txt";
         },
         intResultNoFileSelected, "No files found"},
        {"no target folder",
         [](RefusalTest& t) {
             t.Src("a.txt", "a");
             t.setup.txbDirectory[1].clear();
         },
         intResultTargetNotSpecified, "Target folder not specified"},
        {"a missing target folder",
         [](RefusalTest& t) {
             t.Src("a.txt", "a");
             t.setup.txbDirectory[1] = t.dir.path("missing/");
         },
         intResultTargetMissing, "Target folder does not exist"},
        {"a missing source folder", [](RefusalTest& t) { t.setup.txbDirectory[0] = t.dir.path("missing/"); },
         intResultSourceMissing, GetProgramText(81)},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case on its own pair of folders.
        const std::string folder = "case" + std::to_string(++number) + "/";
        sourceBelowDir = folder + "src/";
        targetBelowDir = folder + "tgt/";
        source = dir.createFolder(sourceBelowDir);
        target = dir.createFolder(targetBelowDir);
        setup = kestrel::Setup{};
        setup.txbDirectory = {source, target};
        c.arrange(*this);

        EXPECT_EQ(RunSilently(intOperationBackupModifiedFiles), c.code);
        EXPECT_EQ(resultText, c.text);
        EXPECT_TRUE(ui.messages().empty());
        EXPECT_TRUE(ui.eventsOf(ScriptedInteraction::Kind::ShowWindow).empty()) << "nothing ran";
    }
}

TEST_F(RefusalTest, AWriteProtectedTargetIsRefused) {
    Src("a.txt", "a");
    RunAsUnprivileged({dir.path()}, [&] {
        ASSERT_EQ(::chmod(target.c_str(), 0555), 0);

        EXPECT_EQ(RunSilently(intOperationBackupAllFiles), intResultTargetWriteProtected);
        EXPECT_EQ(resultText, GetProgramText(406));
        ::chmod(target.c_str(), 0755);
    });
    EXPECT_FALSE(dir.exists("tgt/a.txt"));
}

TEST_F(EngineTest, AnAttendedRefusalIsShownInAMessageBox) {
    Src("a.txt", "a");
    setup.chkExcludeFilesInSourceFolder = 1;
    UseReportFile();

    EXPECT_EQ(BackupModified(), intResultNothingToDo);

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Files in the source folder are excluded," + CRLF +
                                         "and no subfolders are excluded," + CRLF +
                                         "so there is nothing to do!");
    EXPECT_EQ(ui.messages()[0].title, "Back up new and modified (at any time)");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Exclamation);
}

TEST_F(EngineTest, TheButtonsNeedBothFolders) {
    setup.txbDirectory[1].clear();
    EXPECT_EQ(BackupAll(), intResultTargetNotSpecified);
    setup.txbDirectory[0].clear();
    EXPECT_EQ(CheckState(), intResultSourceNotSpecified);
    EXPECT_EQ(List(), intResultSourceNotSpecified);

    ASSERT_EQ(ui.messages().size(), 3u);
    EXPECT_EQ(ui.messages()[0].text, "The target disk or folder must first be specified.");
    EXPECT_EQ(ui.messages()[0].title, "Back up all files in setup");
    EXPECT_EQ(ui.messages()[1].text, "The source disk or folder must first be specified.");
    EXPECT_EQ(ui.messages()[1].title, "Check backup state");
    EXPECT_EQ(ui.messages()[2].icon, MessageIcon::Information);
}

TEST_F(EngineTest, WithoutAReportFileTheUserIsAskedAndYesNamesOneFirst) {
    Src("a.txt", "a");
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerChooseReportFile(dir.path("chosen.txt"));

    EXPECT_EQ(BackupModified(), intResultNameReportFileFirst);

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "Report file?");
    EXPECT_EQ(ui.messages()[0].defaultButton, 2);
    EXPECT_EQ(setup.txbReportFile, dir.path("chosen.txt"));
    EXPECT_FALSE(dir.exists("tgt/a.txt"));

    // No goes on without a report file.
    setup.txbReportFile.clear();
    ui.answerMessage(MessageAnswer::No);
    ui.answerConfirm(true);
    EXPECT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "a");
    EXPECT_FALSE(dir.exists("chosen.txt"));
}

TEST_F(EngineTest, CancellingAtTheExistingReportFileRunsNothing) {
    Src("a.txt", "a");
    UseReportFile();
    dir.createFile("report.txt", "kept");
    ui.answerConfirm(true);
    ui.answerExistingReportFile(4);

    EXPECT_EQ(BackupModified(), intResultReportFileCancelled);

    EXPECT_EQ(ReportFileText(), "kept");
    EXPECT_FALSE(dir.exists("tgt/a.txt"));
}

TEST_F(EngineTest, DecliningTheConfirmationRunsNothing) {
    Src("a.txt", "a");
    UseReportFile();
    ui.answerConfirm(false);

    EXPECT_EQ(BackupModified(), intResultDone);

    EXPECT_FALSE(dir.exists("tgt/a.txt"));
    EXPECT_FALSE(dir.exists("report.txt"));
    EXPECT_EQ(ui.confirmations()[0].question, GetProgramText(134)) << "one file, no subfolders";
}

TEST_F(EngineTest, DecliningInsideAMultipleBackupOffersToCeaseIt) {
    Src("a.txt", "a");
    UseReportFile();
    state.intOperation = intOperationBackupModifiedFiles;
    FolderOperationOptions options;
    options.blnSilent = true;
    options.insideMultipleBackup = true;
    options.chkConfirmEach = true;
    ui.answerConfirm(false);
    ui.answerMessage(MessageAnswer::Yes);
    OperationContext context{setup, state, ui, report};

    EXPECT_EQ(RunFolderOperation(context, options, resultText), intResultDone);

    EXPECT_TRUE(options.declined);
    EXPECT_TRUE(options.blnCeaseMultipleBackup);
    EXPECT_EQ(ui.messages()[0].text, "Cease multiple backup?");
    EXPECT_EQ(ui.messages()[0].title, "Multiple backup");
}

TEST_F(EngineTest, InsideAMultipleBackupTheReportFileChoiceIsGivenNotAsked) {
    Src("a.txt", "a");
    UseReportFile();
    dir.createFile("report.txt", "earlier" + CRLF);
    state.intOperation = intOperationBackupModifiedFiles;
    FolderOperationOptions options;
    options.blnSilent = true;
    options.insideMultipleBackup = true;
    options.reportFileChoice = 2;
    OperationContext context{setup, state, ui, report};

    EXPECT_EQ(RunFolderOperation(context, options, resultText), intResultDone);

    EXPECT_EQ(ReportFileText().rfind("earlier" + CRLF + CRLF + "---", 0), 0u);
    EXPECT_TRUE(ui.eventsOf(ScriptedInteraction::Kind::ExistingReportFile).empty());
    EXPECT_TRUE(ui.confirmations().empty());
}

TEST_F(EngineTest, BackingUpAllFilesOntoAFilledTargetAsksFirst) {
    Src("a.txt", "new");
    Tgt("old.txt", "old");
    UseReportFile();
    ui.answerMessage(MessageAnswer::No);

    EXPECT_EQ(BackupAll(), intResultDone);

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "Confirmation");
    EXPECT_EQ(ui.messages()[0].text,
              target + " has files or folders." + CRLF +
                  "Are you sure you wish to backup ALL files (not just modified files)?");
    EXPECT_FALSE(dir.exists("tgt/a.txt"));
}

TEST_F(EngineTest, AMissingTargetIsCreatedWhenTheUserAgrees) {
    Src("a.txt", "a");
    UseReportFile();
    setup.txbDirectory[1] = dir.path("new/target/");
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerConfirm(true);

    EXPECT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(ui.messages()[0].title, "Create folder");
    EXPECT_EQ(dir.readFile("new/target/a.txt"), "a");
}

TEST_F(EngineTest, CheckingAnEmptyTargetIsRefused) {
    Src("a.txt", "a");

    EXPECT_EQ(CheckState(), intResultNothingToExamine);

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, GetProgramText(32));
    EXPECT_EQ(ui.messages()[0].title, "Check backup state");
}

TEST_F(EngineTest, ListingTheFilesOfASourceWithoutFilesIsRefused) {
    Src("sub/a.txt", "a");

    EXPECT_TRUE(ListButtonListsFiles(setup));
    EXPECT_EQ(List(true), intResultNothingToExamine);

    EXPECT_EQ(ui.messages()[0].text, GetProgramText(379));
    EXPECT_EQ(ui.messages()[0].title, GetProgramText(21));
    Include({"sub"});
    EXPECT_FALSE(ListButtonListsFiles(setup));
}

TEST_F(EngineTest, AFolderOfManyFilesGetsTheWaitingNote) {
    state.blnScheduledTask = true;
    for (const int count : {399, 400}) {
        SCOPED_TRACE(count);
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        for (int i = 0; i < count; ++i)
            local.createFile("src/f" + std::to_string(i), "");
        ScriptedInteraction script{&state};
        ReportModel model{state, setup, script};

        EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

        const std::vector<std::string> appended = script.eventsOf(ScriptedInteraction::Kind::TextAppended);
        const bool noted =
            std::find(appended.begin(), appended.end(), GetProgramText(60) + " ") != appended.end();
        EXPECT_EQ(noted, count == 400);
        EXPECT_EQ(script.screenText().find(GetProgramText(60)), std::string::npos)
            << "the note is taken back";
    }
}

TEST_F(EngineTest, DetailedReportsSuppressedLeaveOnlyTheSummary) {
    Src("a.txt", "a");
    Src("sub/b.txt", "b");
    Include({"sub"});
    setup.chkSuppressDetailedReports = 1;
    state.blnScheduledTask = true;

    EXPECT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(ui.screenText(),
              CRLF + CRLF + "For files new or modified at any time:" + CRLF + "Number of modified files: 0" +
                  CRLF + "Number of files not previously backed up: 2" + CRLF + "Number of files copied: 2" +
                  CRLF + "Sum of sizes of files copied: 2 bytes" + CRLF);
}

} // namespace
} // namespace kestrel::testing
