#include "report/ReportModel.h"

#include "report/ReportFixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kestrel::testing {
namespace {

using Kind = ScriptedInteraction::Kind;

std::string Repeat(const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

class ReportModelTest : public ReportFixture {
protected:
    // The recorded calls of the full-text-box announcement, in order, without the growth of
    // the window (which every call past 500 characters repeats).
    std::vector<std::string> AnnouncementEvents() const {
        std::vector<std::string> texts;
        for (const auto& event : ui.events()) {
            switch (event.kind) {
            case Kind::TextAppended:
                texts.push_back("append " + event.text);
                break;
            case Kind::TextReplaced:
                texts.push_back("replace " + event.text);
                break;
            case Kind::PauseButtonVisible:
                texts.push_back("pause button " + event.text);
                break;
            case Kind::Sleep:
                texts.push_back("sleep " + event.text);
                break;
            case Kind::ShowWindow:
                texts.push_back("show window");
                break;
            default:
                break;
            }
        }
        return texts;
    }

    // Brings the text box to 61441 characters, one more than it takes.
    void FillPastCapacity() {
        report.Output(std::string(61440, 'a'), false);
        report.Output("b", false);
        ASSERT_EQ(report.Length(), 61441);
    }
};

TEST_F(ReportModelTest, OutputSendsTheSameLinesToScreenAndReportFile) {
    StartBackupWithReportFile();
    report.Output("    2 files in /src/a/", true);
    report.Output("      /src/a/x.txt new", true);
    report.Output("  Neither previously backed up.  ", false);
    report.Output("Both copied.", true);

    const std::string expected = "    2 files in /src/a/\r\n"
                                 "      /src/a/x.txt new\r\n"
                                 "  Neither previously backed up.  Both copied.\r\n";
    EXPECT_EQ(report.Text(), expected);
    EXPECT_EQ(ui.screenText(), expected);
    EXPECT_EQ(ReportFileText(), expected);
}

TEST_F(ReportModelTest, AnOpenLineStaysOpenInFileAndOnScreen) {
    StartBackupWithReportFile();
    report.Output("    3 files in /src/", false);
    EXPECT_FALSE(report.EndsWithLineBreak());
    EXPECT_EQ(ReportFileText(), "    3 files in /src/");
    report.Output("  All copied.", true);
    EXPECT_TRUE(report.EndsWithLineBreak());
    EXPECT_EQ(ReportFileText(), "    3 files in /src/  All copied.\r\n");
    EXPECT_EQ(report.Text(), ReportFileText());
}

TEST_F(ReportModelTest, ScreenOnlyTextNeverReachesTheReportFile) {
    StartBackupWithReportFile();
    report.Output("line", true);
    report.Indent();
    report.AppendToScreen("screen only\r\n");
    report.Output("Copied.", true);

    EXPECT_EQ(report.Text(), "line\r\n    screen only\r\nCopied.\r\n");
    EXPECT_EQ(ReportFileText(), "line\r\nCopied.\r\n");
}

TEST_F(ReportModelTest, OnlyBackupsAndTheDeletionWriteTheReportFile) {
    const struct {
        int operation;
        bool writesFile;
    } cases[] = {
        {intOperationCheckForFile, false},       {intOperationListFolders, false},
        {intOperationCheckBackupState, false},   {intOperationBackupAllFiles, true},
        {intOperationBackupModifiedFiles, true}, {intOperationDeleteAllBackupFiles, true},
    };
    for (const auto& c : cases) {
        const std::string name = "report" + std::to_string(c.operation) + ".txt";
        StartBackupWithReportFile(name);
        state.intOperation = c.operation;
        report.Output("a line", true);
        report.file().Close();
        EXPECT_EQ(ReportFileText(name), c.writesFile ? "a line\r\n" : "") << "operation " << c.operation;
    }
}

TEST_F(ReportModelTest, EveryOutputYieldsOnce) {
    report.Output("one", true);
    report.Output("two", false);
    EXPECT_EQ(ui.doEventsCount(), 2);
}

TEST_F(ReportModelTest, TheWindowGrowsOnceTheTextPassesFiveHundredCharacters) {
    const struct {
        int characters;
        int suppressDetailedReports;
        bool enlarged;
    } cases[] = {
        {500, 0, false},
        {501, 0, true},
        {501, 1, false},
    };
    for (const auto& c : cases) {
        report.Clear();
        setup.chkSuppressDetailedReports = c.suppressDetailedReports;
        report.Output(std::string(static_cast<std::size_t>(c.characters), 'a'), false);
        ui.clearEvents();
        report.Output("b", true);
        EXPECT_EQ(ui.eventsOf(Kind::Enlarge).size(), c.enlarged ? 1u : 0u) << c.characters << " characters";
        if (c.enlarged) {
            report.Output("c", true);
            EXPECT_EQ(ui.eventsOf(Kind::Enlarge).size(), 2u) << "the rule holds on every later call";
        }
    }
}

TEST_F(ReportModelTest, TheCharacterPastCapacityMakesTheNextOutputAnnounceTheFullTextBox) {
    FillPastCapacity();
    EXPECT_TRUE(ui.sleeps().empty()) << "the 61441st character itself is still shown";
    ui.clearEvents();

    report.Output("c", true);

    const std::vector<std::string> expected = {
        "append \r\n\r\nThe textbox is full.\r\n"
        "After 15 seconds the textbox will be emptied and the report will continue.",
        "pause button hidden",
        "sleep 15000 ms",
        "pause button shown",
        "replace ",
        "show window",
    };
    EXPECT_EQ(AnnouncementEvents(), expected);
    EXPECT_EQ(report.Text(), "") << "the text that found the box full is not shown";
    EXPECT_EQ(ui.screenText(), "");
    EXPECT_FALSE(report.blnReportBufferFull());
    EXPECT_EQ(state.intPauseInSeconds, 10);

    report.Output("d", true);
    EXPECT_EQ(report.Text(), "d\r\n") << "the report goes on in the emptied box";
}

TEST_F(ReportModelTest, EachFullTextBoxWaitsLessDownToFiveSeconds) {
    for (int i = 0; i < 4; ++i) {
        FillPastCapacity();
        report.Output("c", true);
    }
    EXPECT_EQ(ui.sleeps(), (std::vector<int>{15000, 10000, 5000, 5000}));
    EXPECT_EQ(state.intPauseInSeconds, 5);
}

TEST_F(ReportModelTest, TheFullTextBoxNoticeSaysTheReportFileGoesOn) {
    StartBackupWithReportFile();
    FillPastCapacity();
    ui.clearEvents();
    report.Output("c", true);

    const std::vector<std::string> appended = ui.eventsOf(Kind::TextAppended);
    ASSERT_EQ(appended.size(), 1u);
    EXPECT_EQ(appended[0], "\r\n\r\nThe textbox is full.\r\n"
                           "After 15 seconds the textbox will be emptied and the report will continue.\r\n"
                           "Output to the report file will also continue.");
    EXPECT_EQ(ReportFileText(), std::string(61440, 'a') + "bc\r\n") << "the file misses nothing";
}

TEST_F(ReportModelTest, AFullTextBoxDuringTheSummaryIsSnipped) {
    FillPastCapacity();
    state.blnDisplayingSummary = true;
    ui.clearEvents();
    report.Output("Number of files copied: 3", true);

    const std::vector<std::string> replaced = ui.eventsOf(Kind::TextReplaced);
    ASSERT_EQ(replaced.size(), 2u);
    EXPECT_EQ(replaced[0], std::string(61441 - 3048, 'a') + "  [snip]");
    EXPECT_EQ(replaced[1], "");
}

TEST_F(ReportModelTest, TheTextBoxCountsCharactersNotBytes) {
    const struct {
        std::string unit;
        int times;
        bool fullOnNextOutput;
    } cases[] = {
        {"a", 61440, false},        {"a", 61441, true},    {"\xC3\xA9", 61441, true}, // é is two bytes
        {"\xC3\xA9", 30721, false},                                                   // 61442 bytes
        {"\r\n", 30720, false},     {"\r\n", 30721, true},                            // CR LF counts two
    };
    for (const auto& c : cases) {
        report.Clear();
        report.Output(Repeat(c.unit, c.times), false);
        const std::size_t sleepsBefore = ui.sleeps().size();
        report.Output("x", false);
        EXPECT_EQ(ui.sleeps().size() > sleepsBefore, c.fullOnNextOutput)
            << c.times << " x unit of " << c.unit.size() << " bytes";
    }
}

TEST_F(ReportModelTest, ReportFileDiskFullIsFoundBeforeTheWrite) {
    const struct {
        double freeBytes;
        bool full;
    } cases[] = {
        {static_cast<double>(std::string("next line").size()) + 4096, true}, // exactly: full
        {static_cast<double>(std::string("next line").size()) + 4097, false},
        {-1, false}, // free space unknown: the write goes ahead
    };
    for (const auto& c : cases) {
        StartBackupWithReportFile();
        setup.chkDisableOutputToFile = 0;
        freeBytes = 1e12;
        report.Output("first line", true);
        freeBytes = c.freeBytes;
        report.Output("next line", true);
        freeBytes = 1e12;
        report.Output("last line", true);

        if (c.full) {
            EXPECT_EQ(ReportFileText(), "first line\r\n\r\n\r\nDISK FULL!  OUTPUT TERMINATED!\r\n");
            EXPECT_FALSE(state.blnOutputToFile);
            EXPECT_FALSE(report.file().IsOpen());
            EXPECT_EQ(setup.chkDisableOutputToFile, 1);
            ASSERT_EQ(ui.messages().size(), 1u);
            const MessageRequest& message = ui.messages()[0];
            EXPECT_EQ(message.title, "Disk full");
            EXPECT_EQ(message.icon, MessageIcon::Exclamation);
            EXPECT_EQ(message.buttons, MessageButtons::Ok);
#ifdef _WIN32
            EXPECT_EQ(message.text.rfind("Drive C:\\", 0), 0u) << message.text;
#else
            EXPECT_EQ(message.text.rfind("Drive /", 0), 0u) << message.text;
#endif
            const std::string tail = " is full.  Output to the report file will be terminated.";
            ASSERT_GE(message.text.size(), tail.size());
            EXPECT_EQ(message.text.substr(message.text.size() - tail.size()), tail);
        } else {
            EXPECT_EQ(ReportFileText(), "first line\r\nnext line\r\nlast line\r\n") << c.freeBytes;
            EXPECT_TRUE(ui.messages().empty());
        }
        // The screen carries every line, also the one that found the disk full.
        EXPECT_EQ(report.Text(), "first line\r\nnext line\r\nlast line\r\n") << c.freeBytes;
        report.Clear();
        ui.clearEvents();
    }
}

TEST_F(ReportModelTest, ATerminalGetsEveryLineWithoutTheCapacityRule) {
    std::ostringstream out;
    StreamReportSink sink(out);
    report.setCapacityRule(false);
    report.setSink(&sink);

    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "      /src/folder/file number " + std::to_string(i) + ".txt new";
        report.Output(line, true);
        expected += line + "\n";
    }
    report.Output("  Neither previously backed up.  ", false);
    report.Output("Both copied.", true);
    expected += "  Neither previously backed up.  Both copied.\n";

    EXPECT_TRUE(ui.sleeps().empty());
    EXPECT_EQ(out.str(), expected);
    EXPECT_LE(report.Length(), 2 * lngMaxSizeTextboxContents) << "the terminal's text stays bounded";
    EXPECT_TRUE(report.EndsWithLineBreak());
}

TEST_F(ReportModelTest, ATerminalCarriesOnAfterTheTextIsReplaced) {
    std::ostringstream out;
    StreamReportSink sink(out);
    report.setCapacityRule(false);
    report.setSink(&sink);

    report.Output("    3 files in /src/", false);
    report.SetText("Source folder = /src/\r\n");
    report.Clear();
    report.Output("done", true);
    sink.Finish();

    EXPECT_EQ(out.str(), "    3 files in /src/\nSource folder = /src/\ndone\n");
}

TEST_F(ReportModelTest, ATransientNoteIsTakenBackAndReachesNeitherFileNorTerminal) {
    std::ostringstream out;
    StreamReportSink sink(out);
    report.setSink(&sink);
    StartBackupWithReportFile();

    report.Output("before", true);
    report.ShowTransientNote("Counting files ... ");
    EXPECT_EQ(ui.screenText(), "before\r\nCounting files ... ");
    report.RemoveTransientNote();
    report.Output("after", true);

    EXPECT_EQ(report.Text(), "before\r\nafter\r\n");
    EXPECT_EQ(ui.screenText(), "before\r\nafter\r\n");
    EXPECT_EQ(report.Length(), 15);
    EXPECT_EQ(ReportFileText(), "before\r\nafter\r\n");
    EXPECT_EQ(out.str(), "before\nafter\n");
}

TEST_F(ReportModelTest, RemovingATransientNoteKeepsWhatFollowedIt) {
    report.ShowTransientNote("W\xC3\xA4it ... ");
    report.Output("line", true);
    report.RemoveTransientNote();
    EXPECT_EQ(report.Text(), "line\r\n");
    EXPECT_EQ(report.Length(), 6);
}

} // namespace
} // namespace kestrel::testing
