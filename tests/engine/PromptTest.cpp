#include "EngineFixture.h"

#include "modules/Language.h"

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Source files dated 9:00 local time (8:00 UTC) on 1 March, their copies later.
class OlderSourceTest : public EngineTest {
protected:
    OlderSourceTest() {
        setup.chkWarnIfEarlier = 1;
        state.blnScheduledTask = false;
        UseReportFile();
    }
    void OlderFile(const std::string& relative, std::int64_t copyTime) {
        Src(relative, "new content", At(3, 1, 8, 0));
        Tgt(relative, "old content", copyTime);
    }
};

TEST_F(OlderSourceTest, ACopyOfTheSameDayBringsNoPromptAndTheFileIsCopied) {
    OlderFile("a.txt", At(3, 1, 16, 0));
    ui.answerMessage(MessageAnswer::Yes); // back up ALL files onto a target that has files
    ui.answerConfirm(true);

    EXPECT_EQ(BackupAll(), intResultDone);

    EXPECT_TRUE(ui.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier).empty());
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "new content");
}

TEST_F(OlderSourceTest, EachAnswerOfThePromptHasItsEffect) {
    struct Case {
        int answer;
        bool copied;
        bool stopped;
    };
    for (const Case& c :
         {Case{1, true, false}, Case{2, false, false}, Case{3, true, false}, Case{4, false, true}}) {
        SCOPED_TRACE("answer " + std::to_string(c.answer));
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        local.createFile("src/a.txt", "new content", At(3, 1, 8, 0));
        local.createFile("src/b.txt", "second", At(3, 1, 8, 0));
        local.createFile("tgt/a.txt", "old content", At(3, 2, 16, 0));
        ScriptedInteraction script{&state};
        ReportModel model{state, setup, script};
        script.answerMessage(MessageAnswer::Yes);
        script.answerConfirm(true);
        script.answerSourceFileEarlier(c.answer);

        EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

        const std::vector<std::string> prompts =
            script.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier);
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(prompts[0], "[Current file is older than backup file] " + GetProgramText(70) + " " +
                                  GetProgramText(155) + ":" + CRLF + setup.txbDirectory[0] +
                                  "a.txt (2024-03-01 09:00, 11 bytes)" + CRLF + GetProgramText(71) + ":" +
                                  CRLF + setup.txbDirectory[1] + "a.txt (2024-03-02 17:00, 11 bytes)" + CRLF +
                                  CRLF + "How do you wish to proceed?");
        EXPECT_EQ(local.readFile("tgt/a.txt"), c.copied ? "new content" : "old content");
        EXPECT_EQ(state.blnStop.load(), c.stopped);
        EXPECT_EQ(local.exists("tgt/b.txt"), !c.stopped)
            << "the rest of the folder is examined unless cancelled";
        EXPECT_EQ(Contains(script.screenText(), GetProgramText(49)), c.stopped);
        EXPECT_EQ(state.intChoice, c.answer);
    }
}

TEST_F(OlderSourceTest, CopyAndDisableSilencesTheWarningForTheRestOfTheFolderOnly) {
    OlderFile("a/one.txt", At(3, 2, 16, 0));
    OlderFile("a/two.txt", At(3, 2, 16, 0));
    OlderFile("b/three.txt", At(3, 2, 16, 0));
    Include({"a", "b"});
    ui.answerMessage(MessageAnswer::Yes);
    ui.answerConfirm(true);
    ui.answerSourceFileEarlier(3);
    ui.answerSourceFileEarlier(1);

    EXPECT_EQ(BackupAll(), intResultDone);

    const std::vector<std::string> prompts = ui.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_TRUE(Contains(prompts[0], source + Native("a/one.txt")));
    EXPECT_TRUE(Contains(prompts[1], source + Native("b/three.txt")));
    EXPECT_EQ(state.lngTotalNumFilesCopied, 3);
}

TEST_F(OlderSourceTest, AnUnattendedRunLeavesTheCopyAndCountsAWarning) {
    Src("a.txt", "abc", At(3, 7, 8, 0));
    Tgt("a.txt", "abcdef", At(3, 8, 16, 0));
    state.blnScheduledTask = true;

    EXPECT_EQ(BackupModified(), intResultDone);

    EXPECT_TRUE(ui.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier).empty());
    EXPECT_EQ(dir.readFile("tgt/a.txt"), "abcdef");
    EXPECT_EQ(state.intNumWarnings, 1);
    const std::string warning = GetProgramText(70) + " " + GetProgramText(155) + ":" + CRLF + source +
                                "a.txt (2024-03-07 09:00, 3 bytes)" + CRLF + GetProgramText(71) + ":" + CRLF +
                                target + "a.txt (2024-03-08 17:00, 6 bytes)" + CRLF + CRLF +
                                "This file has not been copied." + CRLF;
    EXPECT_TRUE(Contains(ReportFileText(), "      " + source + "a.txt (modified)" + CRLF + warning));
    EXPECT_TRUE(Contains(ReportFileText(), CRLF + "This report contains one warning." + CRLF));
}

TEST_F(EngineTest, TheSmallerSourceWarningComesBelowThePercentage) {
    setup.chkWarnIfSmaller = 1;
    setup.cboPercent = 4; // 50 %
    UseReportFile();
    for (const bool unattended : {false, true}) {
        for (const std::size_t size : {std::size_t{499}, std::size_t{500}}) {
            SCOPED_TRACE((unattended ? "unattended, " : "attended, ") + std::to_string(size) + " bytes");
            TempDir local;
            setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
            setup.txbReportFile = local.path("report.txt");
            setup.txbReportFile = local.path("report.txt");
            local.createFile("src/a.txt", std::string(size, 's'), At(3, 1, 8, 0));
            local.createFile("tgt/a.txt", std::string(1000, 't'), At(3, 1, 8, 0));
            state.blnScheduledTask = unattended;
            ScriptedInteraction script{&state};
            ReportModel model{state, setup, script};
            const bool warns = size == 499;
            if (!unattended) {
                script.answerMessage(MessageAnswer::Yes);
                script.answerConfirm(true);
                if (warns)
                    script.answerSourceFileEarlier(2);
            }

            EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

            const std::vector<std::string> prompts =
                script.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier);
            EXPECT_EQ(prompts.size(), warns && !unattended ? 1u : 0u);
            if (!prompts.empty()) {
                EXPECT_EQ(prompts[0], "[Current file is significantly smaller than backup file]  " +
                                          GetProgramText(76) + ":" + CRLF + setup.txbDirectory[0] +
                                          "a.txt (499 bytes)" + CRLF + GetProgramText(77) + " 50% " +
                                          GetProgramText(69) + ":" + CRLF + setup.txbDirectory[1] +
                                          "a.txt (1,000 bytes)" + CRLF + CRLF +
                                          "How do you wish to proceed?");
                // What it says of the smaller file is true: 499 bytes are less than 50% of 1,000.
                EXPECT_NE(prompts[0].find("is less than 50% of the size of its backup copy:"),
                          std::string::npos);
            }
            EXPECT_EQ(local.readFile("tgt/a.txt").size(), warns ? 1000u : size);
            EXPECT_EQ(state.intNumWarnings, warns && unattended ? 1 : 0);
        }
    }
}

TEST_F(OlderSourceTest, TheThumbsDbQuestionFollowsAWarningAndYesSkipsThemAll) {
    struct Case {
        MessageAnswer answer;
        std::size_t prompts;
        bool copied;
    };
    for (const Case& c : {Case{MessageAnswer::Yes, 1, false}, Case{MessageAnswer::No, 2, true}}) {
        SCOPED_TRACE(c.answer == MessageAnswer::Yes ? "Yes" : "No");
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        Include({"a", "b"});
        for (const std::string name : {"a/Thumbs.db", "b/thumbs.db"}) {
            local.createFile("src/" + name, "new", At(3, 1, 8, 0));
            local.createFile("tgt/" + name, "old", At(3, 2, 16, 0));
        }
        ScriptedInteraction script{&state};
        ReportModel model{state, setup, script};
        script.answerMessage(MessageAnswer::Yes); // back up ALL files
        script.answerConfirm(true);
        script.answerSourceFileEarlier(1);
        script.answerMessage(c.answer);
        if (c.answer == MessageAnswer::No) {
            script.answerSourceFileEarlier(1);
            script.answerMessage(MessageAnswer::No);
        }

        EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

        EXPECT_EQ(script.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier).size(), c.prompts);
        const MessageRequest& question = script.messages()[1];
        EXPECT_EQ(question.title, "Skip thumbs.db files?");
        EXPECT_EQ(question.text, "Do you wish to skip this and all other 'thumbs.db' files" + CRLF +
                                     "for the rest of this backup operation?");
        EXPECT_EQ(local.readFile("tgt/a/Thumbs.db") == "new", c.copied);
        EXPECT_EQ(local.readFile("tgt/b/thumbs.db") == "new", c.copied);
    }
}

TEST_F(EngineTest, EverySixthFailedCopyAsksWhetherToStop) {
    struct Case {
        bool unattended;
        MessageAnswer answer;
        std::int64_t errors;
        std::size_t questions;
    };
    CopyFaultGuard fault([](const std::string&, const std::string&) {
        return platform::Error::of(platform::err::PermissionDenied);
    });
    UseReportFile();
    for (const Case& c : {Case{false, MessageAnswer::No, 7, 1}, Case{false, MessageAnswer::Yes, 6, 1},
                          Case{true, MessageAnswer::No, 7, 0}}) {
        SCOPED_TRACE(c.unattended ? "unattended" : c.answer == MessageAnswer::Yes ? "Yes" : "No");
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        for (int i = 1; i <= 7; ++i)
            local.createFile("src/f" + std::to_string(i) + ".txt", "x");
        state.blnScheduledTask = c.unattended;
        ScriptedInteraction script{&state};
        ReportModel model{state, setup, script};
        if (!c.unattended) {
            script.answerConfirm(true);
            script.answerMessage(c.answer);
        }

        EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

        EXPECT_EQ(state.lngTotalNumCopyErrors, c.errors);
        EXPECT_EQ(script.messages().size(), c.questions);
        EXPECT_EQ(script.eventsOf(ScriptedInteraction::Kind::Beep).size(), c.questions);
        if (c.questions == 1) {
            const MessageRequest& question = script.messages()[0];
            EXPECT_EQ(question.title, GetProgramText(83));
            EXPECT_EQ(question.text, GetProgramText(80) + CRLF + setup.txbDirectory[0] + "f6.txt" + CRLF +
                                         GetProgramText(172) + CRLF + CRLF + GetProgramText(63) + " 6." +
                                         CRLF + GetProgramText(64));
        }
        EXPECT_TRUE(Contains(script.screenText(), "    7 files in " + setup.txbDirectory[0] + CRLF +
                                                      "      " + GetProgramText(79) + " " +
                                                      setup.txbDirectory[0] + "f1.txt  " +
                                                      GetProgramText(172) + CRLF + CRLF + CRLF));
        EXPECT_TRUE(Contains(script.screenText(), "Number of errors when attempting to copy a file: " +
                                                      std::to_string(c.errors) + CRLF));
        EXPECT_FALSE(local.exists("tgt/f1.txt"));
    }
}

TEST_F(EngineTest, AFullTargetDriveStopsTheRun) {
    const ScopedTargetDiskSpaceForTesting disk([](const std::string&, double& freeBytes, double& totalBytes) {
        freeBytes = 0;
        totalBytes = 1e9;
        return 0;
    });
    UseReportFile();
    for (const bool unattended : {false, true}) {
        SCOPED_TRACE(unattended ? "unattended" : "attended");
        TempDir local;
        setup.txbDirectory = {local.createFolder("src"), local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        local.createFile("src/a.txt", "a");
        local.createFile("src/b.txt", "b");
        state.blnScheduledTask = unattended;
        ScriptedInteraction script{&state};
        ReportModel model{state, setup, script};
        if (!unattended)
            script.answerConfirm(true);

        EXPECT_EQ(cmdBackupAllFiles_MouseUp(setup, state, script, model), intResultDone);

        EXPECT_EQ(script.screenText(),
                  Stamp() + CRLF + CRLF + "source folder = " + setup.txbDirectory[0] + CRLF +
                      "    2 files in " + setup.txbDirectory[0] + CRLF + "      The target drive is full." +
                      CRLF + "  None copied." + CRLF + GetProgramText(1109) + CRLF + CRLF +
                      "Number of non-empty folders accessed: 1" + CRLF + "Number of files copied: 0" + CRLF +
                      "Number of errors when attempting to copy a file: 1" + CRLF + CRLF + Stamp() + CRLF);
        ASSERT_EQ(script.messages().size(), unattended ? 0u : 1u);
        if (!unattended) {
            EXPECT_EQ(script.messages()[0].text,
                      "The target drive is full, so this backup operation" + CRLF + "must be terminated.");
            EXPECT_EQ(script.messages()[0].icon, MessageIcon::Exclamation);
        }
        EXPECT_FALSE(local.exists("tgt/a.txt"));
        EXPECT_TRUE(state.blnTargetFull) << "stopped by the disk, not by the user";
    }
}

TEST_F(EngineTest, AFileTooLargeForTheRoomLeftIsPassedOverAfterAQuestion) {
    const ScopedTargetDiskSpaceForTesting disk([](const std::string&, double& freeBytes, double& totalBytes) {
        freeBytes = 100;
        totalBytes = 1e9;
        return 0;
    });
    Src("big.bin", std::string(100, 'b'));
    Src("small.txt", "small");
    UseReportFile();
    ui.answerConfirm(true);
    ui.answerMessage(MessageAnswer::No);

    EXPECT_EQ(BackupModified(), intResultDone);

    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, GetProgramText(62) + CRLF + source + "big.bin (100 " +
                                         GetProgramText(152) + ")." + CRLF + CRLF + GetProgramText(63) +
                                         " 1." + CRLF + GetProgramText(64));
    EXPECT_TRUE(
        Contains(ReportFileText(), "      Insufficient space on the target drive for this file." + CRLF));
    EXPECT_FALSE(dir.exists("tgt/big.bin"));
    EXPECT_EQ(dir.readFile("tgt/small.txt"), "small");
    EXPECT_EQ(state.lngTotalNumCopyErrors, 1);
}

TEST_F(EngineTest, APauseAfterTheFirstCopyHappensOncePerOperation) {
    Src("a/1.txt", "1");
    Src("b/2.txt", "2");
    Src("c/3.txt", "3");
    Include({"a", "b", "c"});
    setup.chkPauseAfterFirstCopy = 1;
    UseReportFile();
    ui.answerConfirm(true);
    ui.answerPause(ScriptedInteraction::PauseAnswer::Continue);

    EXPECT_EQ(BackupAll(), intResultDone);

    EXPECT_EQ(ui.eventsOf(ScriptedInteraction::Kind::Pause).size(), 1u);
    EXPECT_EQ(state.lngTotalNumFilesCopied, 3);

    // A single included subfolder without its subfolders never pauses.
    Include({"a"});
    ui.answerConfirm(true);
    ui.answerMessage(MessageAnswer::Yes); // the target has files now
    ui.answerExistingReportFile(1);
    EXPECT_EQ(BackupAll(), intResultDone);
    EXPECT_EQ(ui.eventsOf(ScriptedInteraction::Kind::Pause).size(), 1u);
}

} // namespace
} // namespace kestrel::testing
