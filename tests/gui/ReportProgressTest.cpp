#include "GuiTestSupport.h"

#include "engine/OperationContext.h"
#include "forms/main/OperationEntries.h"
#include "forms/report/frmReport.h"
#include "report/ReportModel.h"
#include "support/Gate.h"

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>

namespace kestrel::testing {
namespace {

// Opens the gate when the test ends, however it ends, so the window's worker never stays held.
struct OpenOnExit {
    std::shared_ptr<Gate> gate;
    ~OpenOnExit() { gate->open(); }
};

class ReportProgressTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WriteLastRun(FolderSetup(tmp.createFolder("source"), tmp.createFolder("target")));
    }
    template <class T> T* InReport(forms::frmMain& window, const char* name) {
        return Find<T>(window.reportWindow(), QLatin1String(name));
    }
    std::shared_ptr<Gate> gate = Gate::make();
};

TEST_F(ReportProgressTest, ALongCopyShowsTheFilesShareAndTheOperationsTotals) {
    constexpr std::int64_t kTwoGb = 2LL * 1024 * 1024 * 1024;
    const forms::ScopedOperationEntryForTesting entry(
        forms::OperationButton::BackupAllFiles, [gate = gate](OperationContext& context) {
            context.report.Clear();
            context.report.Output("Copying big.iso", true);
            context.ui.SetReportButtons(false, true, "Pause", false, "");
            context.ui.ShowReportWindow();
            CopyProgress progress;
            progress.sourcePath = "/source/big.iso";
            progress.fileBytesTotal = kTwoGb;
            progress.fileBytesDone = kTwoGb / 2;
            progress.operationFilesCopied = 3;
            progress.operationBytesCopied = kTwoGb / 2 + 3 * 1024;
            context.ui.ReportCopyProgress(progress);
            gate->pass();
            return 0;
        });
    auto window = StartWindow();
    const OpenOnExit opener{gate};
    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    auto* bar = InReport<QProgressBar>(*window, "prgFileCopied");
    auto* label = InReport<QLabel>(*window, "lblCopyProgress");
    ASSERT_TRUE(WaitFor([&] { return bar->isVisible() && bar->value() > 0; }));

    EXPECT_EQ(bar->value() * 100 / bar->maximum(), 50);
    EXPECT_EQ(
        label->text(),
        QStringLiteral("1.00 Gb of 2.00 Gb copied of this file; operation: 3 files and 1.00 Gb copied"));
    // The report's text carries none of it.
    EXPECT_EQ(window->reportWindow()->Text(), QStringLiteral("Copying big.iso\n"));

    gate->open();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(label->isVisible());
}

TEST_F(ReportProgressTest, AtRestTheEmptyLabelRowsTakeNoRoomAndWhileRunningTheyKeepIt) {
    const forms::ScopedOperationEntryForTesting entry(
        forms::OperationButton::BackupAllFiles, [gate = gate](OperationContext& context) {
            context.report.Clear();
            context.ui.SetReportLabel(ReportLabel::lblSourceDirpath, "");
            context.ui.SetReportLabel(ReportLabel::lblTargetDirpath, "");
            context.ui.SetReportButtons(false, true, "Pause", false, "");
            context.ui.ShowReportWindow();
            context.report.Output("a line", true);
            gate->pass();
            context.ui.SetReportButtons(true, false, "", true, "Close");
            return 0;
        });
    auto window = StartWindow();
    const OpenOnExit opener{gate};
    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    ASSERT_TRUE(
        WaitFor([&] { return window->reportWindow()->isVisible() && window->reportWindow()->HasText(); }));
    EXPECT_TRUE(InReport<QLabel>(*window, "lblSourceDirpath")->isVisible());
    EXPECT_TRUE(InReport<QLabel>(*window, "lblFileName")->isVisible());

    gate->open();
    ASSERT_TRUE(WaitForOperation(*window));
    for (const char* name : {"lblSourceDirpath", "lblTargetDirpath", "Label1", "lblFileName"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(InReport<QLabel>(*window, name)->isVisible());
    }
    // The text box starts right below the window's margin.
    auto* text = InReport<QPlainTextEdit>(*window, "txbText");
    EXPECT_LE(text->y(), window->reportWindow()->layout()->contentsMargins().top() +
                             window->reportWindow()->layout()->spacing() + 1);
}

TEST_F(ReportProgressTest, WhenPausedTheReportsLastLineIsWholeInView) {
    const forms::ScopedOperationEntryForTesting entry(
        forms::OperationButton::BackupAllFiles, [gate = gate](OperationContext& context) {
            context.state.blnStop = false;
            context.report.Clear();
            context.ui.SetReportButtons(false, true, "Pause", false, "");
            context.ui.ShowReportWindow();
            for (int i = 0; i < 200; ++i)
                context.report.Output("line " + std::to_string(i), true);
            context.report.Output("the last line", true);
            gate->pass();
            while (!context.state.blnStop)
                context.ui.DoEvents();
            context.ui.SetReportButtons(true, false, "", true, "Close");
            return 0;
        });
    auto window = StartWindow();
    const OpenOnExit opener{gate};
    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    forms::frmReport* report = window->reportWindow();
    ASSERT_TRUE(WaitFor([&] { return report->Text().contains(QStringLiteral("the last line")); }));
    auto* pause = InReport<QPushButton>(*window, "cmdPauseContinue");
    ASSERT_TRUE(pause->isVisible());
    pause->click();
    ASSERT_TRUE(InReport<QPushButton>(*window, "cmdCancelClose")->isVisible());

    QPlainTextEdit* text = report->txbText();
    const QTextBlock last = text->document()->lastBlock().previous(); // the text ends in a line end
    ASSERT_EQ(last.text(), QStringLiteral("the last line"));
    QTextCursor atLast(last);
    const QRect line = text->cursorRect(atLast);
    EXPECT_GE(line.top(), 0);
    EXPECT_LE(line.bottom(), text->viewport()->height()) << "the last line is cut off";

    gate->open();
    InReport<QPushButton>(*window, "cmdCancelClose")->click();
    ASSERT_TRUE(WaitForOperation(*window));
}

} // namespace
} // namespace kestrel::testing
