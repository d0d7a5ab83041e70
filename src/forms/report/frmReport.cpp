#include "forms/report/frmReport.h"

#include "forms/FormsCommon.h"
#include "modules/DiskProc.h"
#include "modules/Language.h"
#include "modules/StrProc.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrel::forms {

namespace {

// The captions the buttons change between; the program knows a button's state by its caption.
QString PauseCaption() {
    return Pt(44);
}
QString ContinueCaption() {
    return Pt(1562);
}
QString CancelOperationCaption() {
    return Pt(1563);
}
QString CloseCaption() {
    return Pt(58);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption = QString()) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

frmReport::frmReport(OperationState& state, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window), state_(state), mainWindow_(mainWindow),
      txbText_(new QPlainTextEdit(this)), lblSourceDirpath_(MakeLabel(this, "lblSourceDirpath")),
      lblTargetDirpath_(MakeLabel(this, "lblTargetDirpath")), Label1_(MakeLabel(this, "Label1")),
      lblFileName_(MakeLabel(this, "lblFileName")), lblFreeSpace_(MakeLabel(this, "lblFreeSpace")),
      lblBytesCopied_(MakeLabel(this, "lblBytesCopied")),
      cmdPauseContinue_(MakeButton(this, "cmdPauseContinue", ContinueCaption())),
      cmdCopyToClipboard_(MakeButton(this, "cmdCopyToClipboard", Pt(113))),
      cmdCancelClose_(MakeButton(this, "cmdCancelClose", CancelOperationCaption())),
      chkSuppressDisplayOfReport_(new QCheckBox(this)), prgFileCopied_(new QProgressBar(this)),
      lblCopyProgress_(MakeLabel(this, "lblCopyProgress")) {
    setObjectName(QStringLiteral("frmReport"));
    SetProgramText(this, 1567);
    SetProgramText(Label1_, 1565);
    SetProgramText(chkSuppressDisplayOfReport_, 1566);
    txbText_->setObjectName(QStringLiteral("txbText"));
    txbText_->setReadOnly(true);
    txbText_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txbText_->setUndoRedoEnabled(false);
    txbText_->viewport()->installEventFilter(this);
    chkSuppressDisplayOfReport_->setObjectName(QStringLiteral("chkSuppressDisplayOfReport"));

    // Form_Load: fonts, empty count labels, the suppress box unchecked.
    SetFormFontName(this, QLatin1String(kFormFont));
    QFont courier{QString::fromLatin1(kReportFont)};
    courier.setStyleHint(QFont::Monospace);
    txbText_->setFont(courier);
    lblFreeSpace_->clear();
    lblBytesCopied_->clear();
    chkSuppressDisplayOfReport_->setChecked(false);
    // Movement inside a long copy: the file's share as a bar, its bytes and the operation's
    // totals beside it. Shown from the first progress of a copy until the operation ends.
    prgFileCopied_->setObjectName(QStringLiteral("prgFileCopied"));
    prgFileCopied_->setRange(0, 1000);
    prgFileCopied_->setTextVisible(true);
    prgFileCopied_->setFormat(QStringLiteral("%p%"));
    prgFileCopied_->hide();
    lblCopyProgress_->hide();
    for (QPushButton* button : {cmdPauseContinue_, cmdCopyToClipboard_, cmdCancelClose_})
        button->setAutoDefault(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(Label1_);
    fileRow->addWidget(lblFileName_, 1);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(prgFileCopied_, 1);
    progressRow->addWidget(lblCopyProgress_, 2);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(lblBytesCopied_, 1);
    countRow->addWidget(lblFreeSpace_, 0, Qt::AlignRight);
    // Copy on the left, Pause/Continue centred, Cancel/Close right-aligned with the text box.
    auto* buttonRow = new QGridLayout;
    buttonRow->setColumnStretch(0, 1);
    buttonRow->setColumnStretch(1, 1);
    buttonRow->setColumnStretch(2, 1);
    buttonRow->addWidget(cmdCopyToClipboard_, 0, 0, Qt::AlignLeft);
    buttonRow->addWidget(cmdPauseContinue_, 0, 1, Qt::AlignHCenter);
    buttonRow->addWidget(cmdCancelClose_, 0, 2, Qt::AlignRight);
    buttonRow->addWidget(chkSuppressDisplayOfReport_, 1, 1, Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->addWidget(lblSourceDirpath_);
    layout->addWidget(lblTargetDirpath_);
    layout->addLayout(fileRow);
    layout->addLayout(progressRow);
    layout->addWidget(txbText_, 1);
    layout->addLayout(countRow);
    layout->addLayout(buttonRow);
    // A window narrower than 8000 twips is widened to 8000.
    setMinimumWidth(Px(8000));

    // The view follows the report's end until the user scrolls elsewhere: when the text box's
    // height changes (a pause adds a row of buttons, the window is resized) or text comes, the
    // last line stays whole in view.
    QScrollBar* bar = txbText_->verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar] {
        QMetaObject::invokeMethod(
            this, [this, bar] { followEnd_ = bar->value() >= bar->maximum(); }, Qt::QueuedConnection);
    });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (followEnd_ && !txbText_->textCursor().hasSelection())
            bar->setValue(maximum);
    });

    connect(cmdPauseContinue_, &QPushButton::clicked, this, &frmReport::cmdPauseContinue_Click);
    connect(cmdCancelClose_, &QPushButton::clicked, this, &frmReport::cmdCancelClose_Click);
    connect(cmdCopyToClipboard_, &QPushButton::clicked, this, &frmReport::cmdCopyToClipboard_Click);
    // The box's value is taken over on Continue.
    connect(chkSuppressDisplayOfReport_, &QCheckBox::clicked, this,
            [this] { cmdPauseContinue_->setFocus(); });
}

void frmReport::SetReportButtons(bool blnCopyToClipboardVisible, bool blnPauseContinueVisible,
                                 const QString& strPauseContinueCaption, bool blnCancelCloseVisible,
                                 const QString& strCancelCloseCaption) {
    if (blnCopyToClipboardVisible) {
        cmdCopyToClipboard_->setText(Pt(1564));
        cmdCopyToClipboard_->show();
    } else {
        cmdCopyToClipboard_->hide();
    }

    if (blnPauseContinueVisible) {
        cmdPauseContinue_->setText(strPauseContinueCaption);
        cmdPauseContinue_->show();
        const bool offersSuppress = intOperation_ == intOperationBackupAllFiles ||
                                    intOperation_ == intOperationBackupModifiedFiles ||
                                    intOperation_ == intOperationDeleteAllBackupFiles;
        chkSuppressDisplayOfReport_->setVisible(strPauseContinueCaption == ContinueCaption() &&
                                                offersSuppress);
    } else {
        cmdPauseContinue_->hide();
        chkSuppressDisplayOfReport_->hide();
    }

    if (blnCancelCloseVisible) {
        cmdCancelClose_->setText(strCancelCloseCaption);
        cmdCancelClose_->setFixedWidth(Px(strCancelCloseCaption == CancelOperationCaption() ? 2000 : 1000));
        cmdCancelClose_->show();
    } else {
        cmdCancelClose_->hide();
    }

    SetReportButtons2();
    if (cmdCopyToClipboard_->isVisibleTo(this))
        cmdCopyToClipboard_->setEnabled(HasText());
}

void frmReport::SetReportButtons2() {
    AssignMnemonics(this, [](const QAbstractButton* button) {
        return qobject_cast<const QPushButton*>(button) == nullptr;
    });
    // The layout keeps the buttons and the box below the labels; the copy button fits its caption.
    cmdCopyToClipboard_->setMinimumWidth(cmdCopyToClipboard_->sizeHint().width());
    if (layout() != nullptr)
        layout()->activate();
}

void frmReport::ShowCopyProgress(const CopyProgress& progress) {
    const double total = static_cast<double>(std::max<std::int64_t>(progress.fileBytesTotal, 0));
    const double done =
        static_cast<double>(std::clamp<std::int64_t>(progress.fileBytesDone, 0, progress.fileBytesTotal));
    prgFileCopied_->setValue(total > 0 ? static_cast<int>(done * 1000.0 / total) : 1000);
    const std::string text =
        FormatByteSize(done, false) + " " + GetProgramText(1454) + " " + FormatByteSize(total, false) + " " +
        GetProgramText(1460) + " " + std::to_string(progress.operationFilesCopied) + " " +
        GetProgramText(progress.operationFilesCopied == 1 ? 1458 : 1459) + " " + GetProgramText(1268) + " " +
        FormatByteSize(static_cast<double>(progress.operationBytesCopied), false) + " " +
        GetProgramText(1457);
    lblCopyProgress_->setText(Qs(text));
    prgFileCopied_->show();
    lblCopyProgress_->show();
}

void frmReport::HideCopyProgress() {
    prgFileCopied_->hide();
    lblCopyProgress_->hide();
    prgFileCopied_->reset();
    lblCopyProgress_->clear();
}

void frmReport::SetOperationRunning(bool running) {
    running_ = running;
    if (!running)
        HideCopyProgress();
    CollapseEmptyLabels();
}

void frmReport::CollapseEmptyLabels() {
    // While an operation runs the label rows keep their place, so the text does not jump as files
    // come and go; at rest an empty row takes no room.
    for (QLabel* label : {lblSourceDirpath_, lblTargetDirpath_})
        label->setVisible(running_ || !label->text().isEmpty());
    // "File now being copied:" alone names nothing.
    const bool fileRow = running_ || !lblFileName_->text().isEmpty();
    Label1_->setVisible(fileRow);
    lblFileName_->setVisible(fileRow);
}

void frmReport::ResizeForm(int intTop, int intHeight) {
    const QRect main = mainWindow_ != nullptr ? mainWindow_->frameGeometry() : QRect();
    QRect frame = frameGeometry();
    const int margins = frame.height() - geometry().height();
    const int height = std::max(Px(intHeight) - margins, minimumSizeHint().height());
    setGeometry(geometry().left(), main.top() + Px(intTop) + (geometry().top() - frame.top()),
                geometry().width(), height);
    SetReportButtons2();
}

void frmReport::Activate() {
    if (isMinimized())
        showNormal();
    const QRect main =
        mainWindow_ != nullptr ? mainWindow_->frameGeometry() : QRect(0, 0, Px(12000), Px(9000));
    int left = main.left() - Px(2000);
    if (left <= 0)
        left = Px(100);
    int width = main.width() + Px(4000);
    if (const QScreen* screen =
            mainWindow_ != nullptr ? mainWindow_->screen() : QApplication::primaryScreen()) {
        const int screenWidth = screen->availableGeometry().width();
        if (width > screenWidth)
            width = screenWidth - Px(100);
    }
    resize(std::max(width, minimumWidth()), height());
    move(left, y());

    if (TextLength() <= intMaxSizeForSmallReportWindow) {
        const int top = host_.smallWindowTop ? host_.smallWindowTop(listing_) : 720;
        ResizeForm(top, 4500);
    }

    lblBytesCopied_->hide();
    lblFreeSpace_->hide();
    CollapseEmptyLabels();
    SetReportButtons2();
    if (cmdPauseContinue_->isVisibleTo(this) && cmdPauseContinue_->isEnabled())
        cmdPauseContinue_->setFocus();
    chkSuppressDisplayOfReport_->hide();
}

void frmReport::ShowWindow() {
    if (!isVisible()) {
        Activate();
        show();
    } else if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

void frmReport::Enlarge() {
    if (mainWindow_ == nullptr)
        return;
    ResizeForm(850, Twips(mainWindow_->frameGeometry().height()) - 1000);
    SetReportButtons2();
}

void frmReport::ShowPausedButtons() {
    const bool suppressed = host_.suppressDetailedReportsChecked && host_.suppressDetailedReportsChecked();
    SetReportButtons(!suppressed, true, ContinueCaption(), true, CancelOperationCaption());
    update();
}

void frmReport::SetCopyButtonCaption(const QString& caption) {
    cmdCopyToClipboard_->setText(caption);
    SetReportButtons2();
}

void frmReport::cmdPauseContinue_Click() {
    if (Caption(cmdPauseContinue_) == PauseCaption()) {
        ShowPausedButtons();
        // The operation holds at its next yield until Continue or Cancel clears the flag.
        state_.blnPaused = true;
        state_.blnPauseRequested = true;
    } else if (Caption(cmdPauseContinue_) == ContinueCaption()) {
        state_.blnSuppressDetailedReports = chkSuppressDisplayOfReport_->isChecked();
        SetReportButtons(false, true, PauseCaption(), false, QString());
        state_.blnPauseRequested = false;
        state_.blnPaused = false;
    }
    update();
}

void frmReport::cmdCancelClose_Click() {
    state_.blnPauseRequested = false;
    if (Caption(cmdCancelClose_) == CancelOperationCaption()) {
        state_.blnStop = true;
        state_.blnPaused = false;
        cmdCancelClose_->setText(CloseCaption());
        cmdCancelClose_->setFixedWidth(Px(1000));
        cmdPauseContinue_->hide();
    } else {
        state_.blnPaused = false;
        hide();
        if (host_.enableReportScreen)
            host_.enableReportScreen();
    }
    chkSuppressDisplayOfReport_->hide();
}

void frmReport::cmdCopyToClipboard_Click() {
    if (!HasText())
        return;
    const QTextCursor cursor = txbText_->textCursor();
    const QString text = cursor.hasSelection() ? cursor.selection().toPlainText() : txbText_->toPlainText();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    cmdCopyToClipboard_->setText(Qs(GetProgramText(112)));
    SetReportButtons2();
    cmdCancelClose_->setFocus();
}

void frmReport::txbText_MouseUp() {
    if (!cmdCopyToClipboard_->isVisibleTo(this) || !cmdCopyToClipboard_->isEnabled())
        return;
    const bool selected = txbText_->textCursor().hasSelection();
    cmdCopyToClipboard_->setText(Qs(GetProgramText(selected ? 113 : 112)));
    SetReportButtons2();
}

bool frmReport::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txbText_->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // After the text box has handled the release, so the selection is final.
        QMetaObject::invokeMethod(this, &frmReport::txbText_MouseUp, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

void frmReport::keyPressEvent(QKeyEvent* event) {
    // Escape presses the Cancel operation or Close button when it is offered.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cmdCancelClose_->isVisible() && cmdCancelClose_->isEnabled())
            cmdCancelClose_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmReport::closeEvent(QCloseEvent* event) {
    // Closing the window by its frame stops the running operation.
    state_.blnPauseRequested = false;
    state_.blnPaused = false;
    state_.blnStop = true;
    QWidget::closeEvent(event);
}

void frmReport::AppendText(const QString& text) {
    if (text.isEmpty())
        return;
    QString shown = text;
    if (pendingCR_) {
        shown.prepend(QLatin1Char('\r'));
        pendingCR_ = false;
    }
    if (shown.endsWith(QLatin1Char('\r'))) {
        shown.chop(1);
        pendingCR_ = true;
    }
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Appended where the text ends, without disturbing a selection the user is making.
    QTextCursor end(txbText_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    if (!txbText_->textCursor().hasSelection()) {
        txbText_->moveCursor(QTextCursor::End);
        txbText_->ensureCursorVisible();
    }
}

void frmReport::ReplaceText(const QString& text) {
    pendingCR_ = false;
    followEnd_ = true;
    txbText_->setPlainText(QString());
    AppendText(text);
}

QLabel* frmReport::LabelOf(ReportLabel label) const {
    switch (label) {
    case ReportLabel::lblSourceDirpath:
        return lblSourceDirpath_;
    case ReportLabel::lblTargetDirpath:
        return lblTargetDirpath_;
    case ReportLabel::Label1:
        return Label1_;
    case ReportLabel::lblFileName:
        return lblFileName_;
    case ReportLabel::lblFreeSpace:
        return lblFreeSpace_;
    case ReportLabel::lblBytesCopied:
        return lblBytesCopied_;
    case ReportLabel::Caption:
        break;
    }
    return nullptr;
}

void frmReport::SetLabel(ReportLabel label, const QString& text) {
    if (label == ReportLabel::Caption) {
        setWindowTitle(text);
        return;
    }
    if (QLabel* widget = LabelOf(label))
        widget->setText(text);
    if (!running_)
        CollapseEmptyLabels();
}

void frmReport::SetLabelVisible(ReportLabel label, bool visible) {
    if (QLabel* widget = LabelOf(label))
        widget->setVisible(visible);
}

void frmReport::SetPauseButtonVisible(bool visible) {
    cmdPauseContinue_->setVisible(visible);
}

bool frmReport::HasText() const {
    return !txbText_->document()->isEmpty();
}

int frmReport::TextLength() const {
    return txbText_->document()->characterCount() - 1;
}

QString frmReport::Text() const {
    return txbText_->toPlainText();
}

} // namespace kestrel::forms
