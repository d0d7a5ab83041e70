#pragma once

#include "report/Interaction.h"
#include "report/OperationState.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace kestrel::forms {

// The window in which every operation reports: the running report text, the labels of the
// folder and file being processed, and the Pause/Continue, Copy to clipboard and
// Cancel operation/Close buttons. One window for the whole run, cleared and reused by each
// operation. It shows the report as the operation's report model sends it; the operation itself
// runs elsewhere and reads the Pause and Cancel flags of the shared state.
class frmReport : public QWidget {
    Q_OBJECT
public:
    frmReport(OperationState& state, QWidget* mainWindow);

    // What the report window reads of the main window.
    struct Host {
        std::function<bool()> suppressDetailedReportsChecked; // chkSuppressDetailedReports
        std::function<void()> enableReportScreen;             // enables cmdReportScreen
        // The top (twips, inside the main window) of the small report window: below
        // cmdListSubFolders for a listing, else below the target folder box.
        std::function<int(bool listing)> smallWindowTop;
    };
    void setHost(Host host) { host_ = std::move(host); }

    // The operation code of the running (or last) operation; the suppress box is offered for
    // backups and the deletion only.
    void setOperation(int intOperation, bool listing) {
        intOperation_ = intOperation;
        listing_ = listing;
    }

    void SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                          const QString& strPauseContinueCaption, bool blnCancelCloseVisible,
                          const QString& strCancelCloseCaption);
    void SetReportButtons2();
    // Top relative to the main window's top, and height; both in twips.
    void ResizeForm(int intTop, int intHeight);
    // Places and sizes the window as it is shown (Form_Activate).
    void Activate();
    // Shows the window, placing it first when it was hidden, and brings it to the front.
    void ShowWindow();

    void cmdPauseContinue_Click();
    void cmdCancelClose_Click();
    void cmdCopyToClipboard_Click();
    // The buttons of a pause, as when the user presses Pause (also when the operation pauses by
    // itself).
    void ShowPausedButtons();
    void SetCopyButtonCaption(const QString& caption);

    // The report text, as the operation's report model has it (CR LF line ends).
    void AppendText(const QString& text);
    void ReplaceText(const QString& text);
    void SetLabel(ReportLabel label, const QString& text);
    void SetLabelVisible(ReportLabel label, bool visible);
    void SetPauseButtonVisible(bool visible);
    void Enlarge();
    // The running copy's movement (window thread; the operation's progress is queued here).
    void ShowCopyProgress(const CopyProgress& progress);
    void HideCopyProgress();
    // Around an operation: the label rows keep their room while it runs, empty ones go after.
    void SetOperationRunning(bool running);

    bool HasText() const;
    int TextLength() const;
    QString Text() const;

    QPlainTextEdit* txbText() const { return txbText_; }
    QCheckBox* chkSuppressDisplayOfReport() const { return chkSuppressDisplayOfReport_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void txbText_MouseUp();
    QLabel* LabelOf(ReportLabel label) const;
    void CollapseEmptyLabels();

    OperationState& state_;
    QWidget* mainWindow_;
    Host host_;
    int intOperation_ = 0;
    bool listing_ = false;
    // The text ended in a CR that may be the first half of a CR LF.
    bool pendingCR_ = false;

    QPlainTextEdit* txbText_;
    QLabel* lblSourceDirpath_;
    QLabel* lblTargetDirpath_;
    QLabel* Label1_;
    QLabel* lblFileName_;
    QLabel* lblFreeSpace_;
    QLabel* lblBytesCopied_;
    QPushButton* cmdPauseContinue_;
    QPushButton* cmdCopyToClipboard_;
    QPushButton* cmdCancelClose_;
    QCheckBox* chkSuppressDisplayOfReport_;
    QProgressBar* prgFileCopied_;
    QLabel* lblCopyProgress_;
    bool running_ = false;
    bool followEnd_ = true; // the view keeps the report's last line in view
};

} // namespace kestrel::forms
