#include "report/ReportFile.h"

#include "report/ReportFixture.h"
#include "report/ReportModel.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#endif
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

using Kind = ScriptedInteraction::Kind;

const std::string kHead = "Current date/time: 2024-03-09 07:05:03";

class ReportFileTest : public ReportFixture {
protected:
    // The driver's part before the opening: a backup with a report file named and enabled.
    void NameReportFile(const std::string& name = "report.txt") {
        state.intOperation = intOperationBackupModifiedFiles;
        setup.txbReportFile = dir.path(name);
        setup.chkDisableOutputToFile = 0;
        state.blnOutputToFile = true;
    }
};

TEST_F(ReportFileTest, ANewReportFileIsFramedByTheStartAndEndTimes) {
    NameReportFile();
    ASSERT_EQ(OpenReportFile(report, 0, "Back up new and modified"), ReportFileOpening::Opened);
    EXPECT_TRUE(ui.eventsOf(Kind::ExistingReportFile).empty()) << "a missing file needs no question";
    EXPECT_EQ(state.intChoice, 1);

    report.Output("    1 file  in /src/", true);
    clock.set(platform::LocalDateTime{2024, 3, 9, 7, 9, 41, 60});
    CloseReportFile(report);

    EXPECT_EQ(ReportFileText(), kHead + "\r\n\r\n" + "    1 file  in /src/\r\n" +
                                    "\r\nCurrent date/time: 2024-03-09 07:09:41\r\n");
    EXPECT_EQ(report.Text(), ReportFileText()) << "the window shows the same frame";
    EXPECT_FALSE(state.blnOutputToFile);
    EXPECT_FALSE(report.file().IsOpen());
}

TEST_F(ReportFileTest, AnExistingReportFileIsHandledAsTheUserChooses) {
    const std::string earlier = "Current date/time: 2024-03-08 22:00:00\r\n\r\nold\r\n";
    const std::string dashes(kHead.size(), '-');
    const struct {
        int answer;
        ReportFileOpening result;
        std::string fileAfterOpening;
        bool outputToFile;
        int chkDisableOutputToFile;
    } cases[] = {
        {1, ReportFileOpening::Opened, kHead + "\r\n\r\n", true, 0},
        {2, ReportFileOpening::Opened, earlier + "\r\n" + dashes + "\r\n\r\n" + kHead + "\r\n\r\n", true, 0},
        {3, ReportFileOpening::NoFile, earlier, false, 1},
        {4, ReportFileOpening::Cancelled, earlier, true, 0},
    };
    for (const auto& c : cases) {
        dir.createFile("report.txt", earlier);
        NameReportFile();
        report.Clear();
        ui.answerExistingReportFile(c.answer);

        EXPECT_EQ(OpenReportFile(report, 0, "Back up new and modified"), c.result) << "answer " << c.answer;
        report.file().Close();

        EXPECT_EQ(ReportFileText(), c.fileAfterOpening) << "answer " << c.answer;
        EXPECT_EQ(state.intChoice, c.answer);
        EXPECT_EQ(state.blnOutputToFile, c.outputToFile) << "answer " << c.answer;
        EXPECT_EQ(setup.chkDisableOutputToFile, c.chkDisableOutputToFile) << "answer " << c.answer;
        if (c.result == ReportFileOpening::Opened) {
            EXPECT_EQ(report.Text(), kHead + "\r\n\r\n") << "the separator stays in the file only";
        }
    }
}

TEST_F(ReportFileTest, AppendingNeverLosesTheEarlierReport) {
    const std::string earlier = "earlier report without a final line end";
    dir.createFile("report.txt", earlier);
    NameReportFile();
    ui.answerExistingReportFile(2);
    ASSERT_EQ(OpenReportFile(report, 0, "Back up all files in setup"), ReportFileOpening::Opened);
    freeBytes = 100; // the disk fills up at the next line
    report.Output("a line", true);

    const std::string text = ReportFileText();
    EXPECT_EQ(text.rfind(earlier, 0), 0u);
    EXPECT_NE(text.find("DISK FULL!  OUTPUT TERMINATED!"), std::string::npos);
}

TEST_F(ReportFileTest, AnUnattendedRunOrAPresetChoiceAsksNothing) {
    const std::string appended =
        "old\r\n\r\n" + std::string(kHead.size(), '-') + "\r\n\r\n" + kHead + "\r\n\r\n";
    const struct {
        bool scheduled;
        int preset;
        std::string expected;
    } cases[] = {
        {true, 0, appended}, // nobody to ask: the earlier report is kept
        {false, 1, kHead + "\r\n\r\n"},
        {false, 2, appended},
    };
    for (const auto& c : cases) {
        dir.createFile("report.txt", "old\r\n");
        NameReportFile();
        state.blnScheduledTask = c.scheduled;
        EXPECT_EQ(OpenReportFile(report, c.preset, "Back up new and modified"), ReportFileOpening::Opened);
        report.file().Close();
        EXPECT_EQ(ReportFileText(), c.expected);
    }
    EXPECT_TRUE(ui.eventsOf(Kind::ExistingReportFile).empty());
}

TEST_F(ReportFileTest, NoReportFileMeansNoQuestionAndNoFile) {
    dir.createFile("report.txt", "old");
    NameReportFile();
    state.blnOutputToFile = false; // output to the report file disabled
    EXPECT_EQ(OpenReportFile(report, 0, "Back up new and modified"), ReportFileOpening::NoFile);
    EXPECT_EQ(ReportFileText(), "old");
    EXPECT_TRUE(ui.events().empty());
}

TEST_F(ReportFileTest, AReportFileThatCannotBeOpenedEndsTheOperation) {
    NameReportFile("missing folder/report.txt");
    EXPECT_EQ(OpenReportFile(report, 0, "Delete operation"), ReportFileOpening::Failed);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Cannot open report file.");
    EXPECT_EQ(ui.messages()[0].title, "Delete operation");
    EXPECT_EQ(ui.messages()[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(state.blnOutputToFile);
    EXPECT_FALSE(dir.exists("missing folder"));
}

TEST_F(ReportFileTest, TheReportFileQuestionDiffersForBackupAndDeletion) {
    const struct {
        bool forDeletion;
        std::string text;
        int defaultButton;
        MessageAnswer answer;
    } cases[] = {
        {false, "Do you wish to list the files backed up in a report file?", 2, MessageAnswer::No},
        {true, "Do you wish to list the files deleted in a report file?", 1, MessageAnswer::Yes},
    };
    for (const auto& c : cases) {
        ui.clearEvents();
        ui.answerMessage(c.answer);
        EXPECT_EQ(AskToNameReportFile(ui, c.forDeletion), c.answer == MessageAnswer::Yes);
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].title, "Report file?");
        EXPECT_EQ(ui.messages()[0].text, c.text);
        EXPECT_EQ(ui.messages()[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(ui.messages()[0].defaultButton, c.defaultButton);
    }
}

TEST_F(ReportFileTest, ChoosingTheReportFile) {
    setup.txbReportFile = "/old/report.txt";
    setup.chkDisableOutputToFile = 1;

    ui.answerChooseReportFile("");
    ChooseReportFile(report);
    EXPECT_EQ(setup.txbReportFile, "/old/report.txt") << "a cancelled choice keeps the file";

    ui.answerChooseReportFile("  /new/report.txt ");
    ChooseReportFile(report);
    EXPECT_EQ(setup.txbReportFile, "/new/report.txt");
    EXPECT_EQ(setup.chkDisableOutputToFile, 0);
    EXPECT_TRUE(state.blnOutputToFile);
    EXPECT_EQ(ui.eventsOf(Kind::ChooseReportFile).back(), "[Specify report file] .txt files (*.txt) | *.txt");
}

TEST_F(ReportFileTest, AReportFileIsInsideTheTargetWhenItsPathStartsWithTheTargetPath) {
    const struct {
        std::string reportFile;
        std::string target;
        bool inside;
    } cases[] = {
        {"/backup/report.txt", "/backup/", true}, {"/backup/sub/report.txt", "/backup/", true},
        {"/backup2.txt", "/backup", true}, // the leading characters only
        {"/home/report.txt", "/backup/", false},  {"/backup/report.txt", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReportFileInsideTarget(c.reportFile, c.target), c.inside)
            << c.reportFile << " in " << c.target;
    }
}

#ifndef _WIN32 // Windows has no FIFOs
// A FIFO named as the report file is refused at once, whether a reader waits on it or not:
// writing the report into it would block the operation or hand the report to someone else.
TEST_F(ReportFileTest, AFifoIsRefusedAtOnce) {
    ASSERT_TRUE(kestrel::testing::MakeFifo(dir.path("fifo.txt")));
    ReportFile file;
    const platform::DirectoryHandle noTarget;
    bool refused = false;
    EXPECT_EQ(file.Open(dir.path("fifo.txt"), true, noTarget, refused).number, platform::err::PathFileAccess);
    const int reader = ::open(dir.path("fifo.txt").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(file.Open(dir.path("fifo.txt"), false, noTarget, refused).number,
              platform::err::PathFileAccess);
    ::close(reader);
}
#endif

} // namespace
} // namespace kestrel::testing
