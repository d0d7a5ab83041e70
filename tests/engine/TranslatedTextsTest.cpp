#include "EngineFixture.h"

#include "engine/DeleteAllBackupFiles.h"
#include "engine/OperationContext.h"
#include "modules/FileProc.h"
#include "support/TranslatedTexts.h"

#include <gtest/gtest.h>

namespace kestrel::testing {
namespace {

// The engine's operations with a text file that changes every text: every message, question,
// label and report line they give is made of the changed texts and the test's own names (all
// of digits) and folders.
class TranslatedTextsEngineTest : public EngineTest {
protected:
    TranslatedTextsEngineTest() {
        sourceBelowDir = "1/";
        targetBelowDir = "2/";
        source = Native(dir.createFolder("1"));
        target = Native(dir.createFolder("2"));
        setup.txbDirectory = {source, target};
        setup.txbReportFile = dir.path("70");
    }

    // Everything the user was shown so far.
    std::string Shown() const {
        std::string shown = ui.screenText() + "\n";
        for (const MessageRequest& message : ui.messages())
            shown += message.title + "\n" + message.text + "\n";
        for (const ConfirmRequest& request : ui.confirmations())
            shown += request.caption + "\n" + request.description + "\n" + request.question + "\n" +
                     request.deletionWarning + "\n";
        for (const std::string& label : ui.eventsOf(ScriptedInteraction::Kind::Label))
            shown += label.substr(label.find(" = ") + 3) + "\n";
        for (const std::string& intro : ui.eventsOf(ScriptedInteraction::Kind::SourceFileEarlier))
            shown += intro + "\n";
        return shown + ReportFileText("70");
    }

    std::vector<std::string> Data() const {
        return {source, target, dir.path(), Native(dir.path()), DriveOfPath(dir.path())};
    }

    TranslatedTexts texts;
};

TEST_F(TranslatedTextsEngineTest, EveryWordOfTheOperationsComesFromTheTextFile) {
    ASSERT_GT(texts.loaded(), 0);
    Include({"5"});
    Src("5/10", "ten");
    Src("5/11", "eleven, the longer one");
    Src("13", "thirteen");
    ui.answerConfirm(true);
    EXPECT_EQ(BackupAll(), intResultDone);

    // A copy older than its source and one much smaller: both warnings asked about.
    setup.chkWarnIfEarlier = 1;
    setup.chkWarnIfSmaller = 1;
    Src("5/10", "ten, now longer", At(1, 1, 0, 0));
    Src("5/11", "short");
    Src("5/12", "new");
    EXPECT_EQ(CheckState(), intResultDone);
    ui.answerConfirm(true);
    ui.answerExistingReportFile(2);
    ui.answerSourceFileEarlier(1);
    ui.answerSourceFileEarlier(1);
    EXPECT_EQ(BackupModified(), intResultDone);
    EXPECT_EQ(List(), intResultDone);

    OperationContext ctx{setup, state, ui, report};
    ui.answerMessage(MessageAnswer::Yes); // wipe
    ui.answerConfirm(true);
    ui.answerExistingReportFile(2);
    EXPECT_EQ(cmdDeleteAllBackupFiles_MouseUp(ctx).outcome, DeletionOutcome::Completed);

    // Refusals.
    setup.txbDirectory[1] = dir.path("4/");
    ui.answerMessage(MessageAnswer::No); // create the target folder?
    EXPECT_LT(BackupAll(), 0);

    const std::string shown = Shown();
    EXPECT_NE(shown.find(kTextOpen), std::string::npos);
    EXPECT_EQ(WordsNotFromTexts(shown, Data()), "") << shown;
}

} // namespace
} // namespace kestrel::testing
