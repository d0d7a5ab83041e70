#include "engine/MultipleBackup.h"

#include "EngineFixture.h"
#include "setup/SetupFile.h"
#include "support/BuildTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel {
namespace {

using testing::EngineTest;

const std::string kCRLF = "\r\n";

class MultipleBackupTest : public EngineTest {
protected:
    MultipleBackupTest() {
        run.setupsFolder = dir.createFolder("setups");
        setup.txbReportFile.clear();
    }

    // A setup file in the setups folder backing up "<name>-src/" (one file) into "<name>-tgt/".
    kestrel::Setup MakeSetup(const std::string& name, const std::string& reportFile = "") {
        kestrel::Setup s;
        s.txbDirectory[0] = testing::Native(dir.createFolder(name + "-src"));
        s.txbDirectory[1] = testing::Native(dir.createFolder(name + "-tgt"));
        dir.createFile(name + "-src/" + name + ".txt", "data of " + name);
        s.txbReportFile = reportFile;
        EXPECT_TRUE(SaveSetupFile(s, run.setupsFolder + name + ".zbk"));
        return s;
    }
    void Row(const std::string& fileName, bool ticked = true) {
        run.rows.push_back({fileName, ticked, 0, ""});
    }
    bool BackedUp(const std::string& name) const { return dir.exists(name + "-tgt/" + name + ".txt"); }

    MultipleBackupOutcome Run() { return cmdMultipleBackup_Click(context, run); }

    OperationContext context{setup, state, ui, report};
    MultipleBackupRun run;
};

TEST_F(MultipleBackupTest, OneFailedSetupOfTwoGivesTheSingularMessage) {
    MakeSetup("good");
    kestrel::Setup bad = MakeSetup("bad");
    bad.txbDirectory[1] = dir.path("missing-tgt/");
    ASSERT_TRUE(SaveSetupFile(bad, run.setupsFolder + "bad.zbk"));
    Row("bad.zbk");
    Row("good.zbk");
    std::vector<std::string> shown;
    run.showSetupFile = [&](const std::string& path) { shown.push_back(path); };

    EXPECT_EQ(Run(), MultipleBackupOutcome::Ran);

    EXPECT_TRUE(BackedUp("good"));
    EXPECT_EQ(run.rows[0].result, LoadTargetFolderMissing);
    EXPECT_EQ(run.rows[0].description, "Target folder does not exist");
    EXPECT_EQ(run.rows[1].result, 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].title, "Do all backups for selected setups");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui.messages()[0].text, "The following setup file produced an error" + kCRLF +
                                         "and that backup operation was not performed:" + kCRLF + kCRLF +
                                         "bad.zbk --- Target folder does not exist" + kCRLF);
    EXPECT_EQ(shown,
              (std::vector<std::string>{run.setupsFolder + "bad.zbk", run.setupsFolder + "good.zbk", ""}));
    // The main window holds the setup loaded last.
    EXPECT_EQ(setup.txbDirectory[0], testing::Native(dir.path("good-src/")));
    EXPECT_TRUE(ui.confirmations().empty());
}

TEST_F(MultipleBackupTest, TwoFailedSetupsGiveThePluralMessageInListOrder) {
    kestrel::Setup missing = MakeSetup("missing");
    missing.txbDirectory[1] = dir.path("nowhere/");
    ASSERT_TRUE(SaveSetupFile(missing, run.setupsFolder + "missing.zbk"));
    dir.createFile("setups/cut.zbk", source + kCRLF + target + kCRLF + " 0 " + kCRLF);
    MakeSetup("good");
    Row("cut.zbk");
    Row("good.zbk");
    Row("missing.zbk");

    Run();

    EXPECT_EQ(run.rows[0].result, -(200 + platform::err::InputPastEndOfFile));
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "The following setup files produced an error" + kCRLF +
                                         "and those backup operations were not performed:" + kCRLF + kCRLF +
                                         "cut.zbk --- " + platform::errorDescription(62) + kCRLF +
                                         "missing.zbk --- Target folder does not exist" + kCRLF);
    EXPECT_TRUE(BackedUp("good"));
}

TEST_F(MultipleBackupTest, ABackupThatRefusesToStartIsAFailedSetup) {
    kestrel::Setup nothing = MakeSetup("nothing");
    nothing.chkExcludeFilesInSourceFolder = 1;
    ASSERT_TRUE(SaveSetupFile(nothing, run.setupsFolder + "nothing.zbk"));
    Row("nothing.zbk");

    Run();

    EXPECT_EQ(run.rows[0].result, intResultNothingToDo);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_NE(ui.messages()[0].text.find("nothing.zbk --- Setup implies nothing to do" + kCRLF),
              std::string::npos);
}

TEST_F(MultipleBackupTest, NothingTickedRunsNothing) {
    MakeSetup("a");
    Row("a.zbk", false);
    EXPECT_EQ(Run(), MultipleBackupOutcome::NothingSelected);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "No setup has been selected.");
    EXPECT_FALSE(BackedUp("a"));
}

TEST_F(MultipleBackupTest, UntickedSetupsAreLeftOut) {
    MakeSetup("a");
    MakeSetup("b");
    Row("a.zbk", false);
    Row("b.zbk");
    Run();
    EXPECT_FALSE(BackedUp("a"));
    EXPECT_TRUE(BackedUp("b"));
}

TEST_F(MultipleBackupTest, ACancelDuringOneSetupAsksWhetherToTerminateTheRun) {
    for (const bool terminate : {false, true}) {
        SCOPED_TRACE(terminate ? "Yes" : "No");
        const std::string tag = terminate ? "y" : "n";
        MakeSetup(tag + "1");
        MakeSetup(tag + "2");
        MakeSetup(tag + "3");
        run.rows.clear();
        Row(tag + "1.zbk");
        Row(tag + "2.zbk");
        Row(tag + "3.zbk");
        ui.clearEvents();
        // The user cancels in the report window while the second setup copies its file.
        testing::CopyFaultGuard fault([&](const std::string& source, const std::string&) {
            if (source.find(testing::Native("/" + tag + "2-src/")) != std::string::npos) {
                state.blnStop = true;
            }
            return platform::Error{};
        });
        ui.answerMessage(terminate ? MessageAnswer::Yes : MessageAnswer::No);

        Run();

        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].text, "Do you wish to terminate this multiple backup operation?");
        EXPECT_EQ(ui.messages()[0].title, "Cancel operation?");
        EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(BackedUp(tag + "1"));
        EXPECT_EQ(BackedUp(tag + "3"), !terminate);
        EXPECT_FALSE(state.blnStop);
    }
}

TEST_F(MultipleBackupTest, ACancelDuringTheLastSetupAsksNothing) {
    MakeSetup("a");
    Row("a.zbk");
    testing::CopyFaultGuard fault([&](const std::string&, const std::string&) {
        state.blnStop = true;
        return platform::Error{};
    });
    Run();
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_FALSE(state.blnStop);
}

TEST_F(MultipleBackupTest, DecliningAConfirmationCanCeaseTheRun) {
    MakeSetup("a");
    MakeSetup("b");
    MakeSetup("c");
    Row("a.zbk");
    Row("b.zbk");
    Row("c.zbk");
    run.chkConfirmEach = true;
    ui.answerConfirm(true);               // a
    ui.answerConfirm(false);              // b
    ui.answerMessage(MessageAnswer::Yes); // "Cease multiple backup?"

    Run();

    EXPECT_EQ(ui.confirmations().size(), 2u);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Cease multiple backup?");
    EXPECT_TRUE(BackedUp("a"));
    EXPECT_FALSE(BackedUp("b"));
    EXPECT_FALSE(BackedUp("c"));
    EXPECT_FALSE(run.blnCeaseMultipleBackup);
}

TEST_F(MultipleBackupTest, TheExistingReportFileIsAskedAboutOnceForTheWholeRun) {
    const std::string reportA = dir.createFile("a-report.txt", "earlier report of a" + kCRLF);
    const std::string reportB = dir.createFile("b-report.txt", "earlier report of b" + kCRLF);
    MakeSetup("a", reportA);
    MakeSetup("b", reportB);
    Row("a.zbk");
    Row("b.zbk");
    setup.txbReportFile = reportA;
    ui.answerExistingReportFile(2);

    EXPECT_EQ(Run(), MultipleBackupOutcome::Ran);

    EXPECT_EQ(ui.eventsOf(testing::ScriptedInteraction::Kind::ExistingReportFile).size(), 1u);
    EXPECT_EQ(dir.readFile("a-report.txt").rfind("earlier report of a" + kCRLF, 0), 0u);
    EXPECT_EQ(dir.readFile("b-report.txt").rfind("earlier report of b" + kCRLF, 0), 0u);
    EXPECT_NE(dir.readFile("b-report.txt").find(testing::Native("b-src/")), std::string::npos);
}

TEST_F(MultipleBackupTest, CancellingAtTheReportFileQuestionRunsNothing) {
    const std::string reportA = dir.createFile("a-report.txt", "earlier");
    MakeSetup("a", reportA);
    Row("a.zbk");
    setup.txbReportFile = reportA;
    ui.answerExistingReportFile(4);
    EXPECT_EQ(Run(), MultipleBackupOutcome::Cancelled);
    EXPECT_FALSE(BackedUp("a"));
    EXPECT_EQ(dir.readFile("a-report.txt"), "earlier");
}

TEST_F(MultipleBackupTest, SetupsSharingAReportFileKeepEachOthersReports) {
    const std::string shared = dir.createFile("shared-report.txt", "OLD REPORT");
    MakeSetup("a", shared);
    MakeSetup("b", shared);
    Row("a.zbk");
    Row("b.zbk");
    setup.txbReportFile = shared;
    ui.answerExistingReportFile(1); // overwrite the old report

    Run();

    const std::string text = dir.readFile("shared-report.txt");
    EXPECT_EQ(text.find("OLD REPORT"), std::string::npos);
    const std::string a = testing::Native("a-src/"), b = testing::Native("b-src/");
    EXPECT_NE(text.find(a), std::string::npos) << text;
    EXPECT_NE(text.find(b), std::string::npos) << text;
    EXPECT_LT(text.find(a), text.find(b));
}

TEST_F(MultipleBackupTest, WithoutASetupsFolderNothingIsLoaded) {
    MakeSetup("a");
    run.setupsFolder.clear();
    std::string description;
    EXPECT_EQ(MultipleBackup(context, run, "a.zbk", description), 0);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "The setups folder must first be specified.");
    EXPECT_EQ(ui.messages()[0].title, "Multiple backup");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Information);
    EXPECT_FALSE(BackedUp("a"));
}

TEST(SetupsFolderLabelTest, NamesTheNumberOfSetupFiles) {
    testing::TempDir dir;
    struct Case {
        int files;
        std::string label;
    };
    const Case cases[] = {
        {0, "The setups folder is empty."},
        {1, "The setups folder contains one setup file."},
        {7, "The setups folder contains 7 setup files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files);
        const std::string folder = dir.createFolder("setups" + std::to_string(c.files));
        for (int i = 0; i < c.files; ++i) {
            dir.createFile("setups" + std::to_string(c.files) + "/s" + std::to_string(i) + ".zbk", "");
        }
        dir.createFile("setups" + std::to_string(c.files) + "/notes.txt", "");
        dir.createFolder("setups" + std::to_string(c.files) + "/folder.zbk");
        int count = -5;
        EXPECT_EQ(DisplayNumFilesInSetupsFolder(folder, count), c.label);
        EXPECT_EQ(count, c.files);
        EXPECT_EQ(SetupsLabelFontSize(count), 10);
    }
    int count = 0;
    EXPECT_EQ(DisplayNumFilesInSetupsFolder("", count),
              "The purpose of a setups folder is to hold setup files.");
    EXPECT_EQ(count, -1);
    EXPECT_EQ(SetupsLabelFontSize(count), 8);
}

} // namespace
} // namespace kestrel
