#include "forms/main/frmMain.h"

#include "forms/FormsCommon.h"
#include "forms/main/ExtraOptionsPanel.h"
#include "forms/main/QtInteraction.h"
#include "forms/prompts/MessageBoxes.h"
#include "forms/prompts/frmPopUp.h"
#include "forms/prompts/frmView.h"
#include "forms/report/frmReport.h"
#include "modules/FileProc.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/ProgramPaths.h"
#include "report/ReportModel.h"
#include "setup/ChoiceLists.h"
#include "setup/LastRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrel::forms {

namespace {

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets, bool stretchAtEnd = true) {
    auto* row = new QHBoxLayout;
    row->setSpacing(Px(90));
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    if (stretchAtEnd)
        row->addStretch(1);
    return row;
}

} // namespace

frmMain::frmMain() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("frmMain"));
    SetProgramText(this, 31);
    endProgram_ = [] { QCoreApplication::quit(); };

    report_ = std::make_unique<frmReport>(state_, this);
    frmReport::Host reportHost;
    reportHost.suppressDetailedReportsChecked = [this] { return chkSuppressDetailedReports_->isChecked(); };
    reportHost.enableReportScreen = [this] { cmdReportScreen_->setEnabled(true); };
    reportHost.smallWindowTop = [this](bool listing) { return SmallReportWindowTop(listing); };
    report_->setHost(std::move(reportHost));

    QtInteraction::Host host;
    host.mainWindow = this;
    host.dialogClosed = [this] { SetDialogJustClosed(); };
    host.confirmDeclined = [this] { ForgetSelectedSetupFile(); };
    host.confirmPosition = [this] { return ConfirmWindowPosition(); };
    host.reportFileBox = [this] { return static_cast<QWidget*>(txbReportFile_); };
    host.reportFileFolder = [this] { return ReportFileDialogFolder(); };
    ui_ = std::make_unique<QtInteraction>(state_, *report_, std::move(host));
    model_ = std::make_unique<ReportModel>(state_, setup_, *ui_);
    ui_->setReportModel(model_.get());

    view_ = new frmView(this);
    view_->setWindowFlag(Qt::Window);

    Clock_ = new QTimer(this);
    Clock_->setObjectName(QStringLiteral("Clock"));
    Clock_->setInterval(1000);
    connect(Clock_, &QTimer::timeout, this, &frmMain::Clock_Timer);
    Clock2_ = new QTimer(this);
    Clock2_->setObjectName(QStringLiteral("Clock2"));
    Clock2_->setInterval(1000);
    Clock2_->setSingleShot(true);
    connect(Clock2_, &QTimer::timeout, this, &frmMain::Clock2_Timer);

    CreateControls();
    LayOutControls();
    ConnectControls();
    CreateSetupCommands();
}

frmMain::~frmMain() {
    if (worker_ != nullptr) {
        // The operation stops at its next yield; a question it still asks is answered as a
        // cancel. The window thread keeps serving the worker's calls until it has ended.
        disconnect(worker_, nullptr, this, nullptr);
        ui_->setClosing(true);
        state_.blnStop = true;
        state_.blnPaused = false;
        while (!worker_->wait(10))
            QCoreApplication::processEvents();
        delete worker_;
        worker_ = nullptr;
    }
    ui_->EndOperation();
}

QPushButton* frmMain::Button(const QString& name, int caption) {
    auto* button = new QPushButton;
    button->setObjectName(name);
    SetProgramText(button, caption);
    // Enter presses the button that has the focus.
    button->setAutoDefault(true);
    return button;
}

QCheckBox* frmMain::CheckBox(const QString& name, int caption) {
    auto* box = new QCheckBox;
    box->setObjectName(name);
    SetProgramText(box, caption);
    return box;
}

QLabel* frmMain::Label(const QString& name, int caption) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    if (caption > 0)
        SetProgramText(label, caption);
    return label;
}

QLineEdit* frmMain::TextBox(const QString& name, bool readOnly) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setReadOnly(readOnly);
    return box;
}

void frmMain::CreateControls() {
    fraMenu_ = new QFrame(this);
    fraMenu_->setObjectName(QStringLiteral("fraMenu"));

    // Source disk or folder, target disk or folder, setups folder.
    const int folderCaptions[3] = {1536, 1537, 1538};
    for (int i = 0; i < 3; ++i) {
        cmdSpecifyDirectory_[i] = Button(ControlName("cmdSpecifyDirectory", i), folderCaptions[i]);
        // The user never types a folder: each is chosen in the folder browser.
        txbDirectory_[i] = TextBox(ControlName("txbDirectory", i), true);
    }
    for (int i = 0; i < 5; ++i)
        cmdClearFolder_[i] = Button(ControlName("cmdClearFolder", i), 1500);

    cmdSelectSubfolders_ = Button(QStringLiteral("cmdSelectSubfolders"), 1501);
    cmdRemoveSubfolder_ = Button(QStringLiteral("cmdRemoveSubfolder"), 1502);
    cmdListSubFolders_ = Button(QStringLiteral("cmdListSubFolders"), 19);
    cmdCheckBackupState_ = Button(QStringLiteral("cmdCheckBackupState"), 1503);
    cmdBackupAllFiles_ = Button(QStringLiteral("cmdBackupAllFiles"), 1504);
    cmdBackupModifiedFiles_ = Button(QStringLiteral("cmdBackupModifiedFiles"), 1505);
    cmdDeleteAllBackupFiles_ = Button(QStringLiteral("cmdDeleteAllBackupFiles"), 1506);
    cmdRestore_ = Button(QStringLiteral("cmdRestore"), 1915);
    cmdCreateSubFolder_ = Button(QStringLiteral("cmdCreateSubFolder"), 1507);
    cmdEmptyTargetFolder_ = Button(QStringLiteral("cmdEmptyTargetFolder"), 1508);
    cmdReportFile_ = Button(QStringLiteral("cmdReportFile"), 1185);
    cmdReportScreen_ = Button(QStringLiteral("cmdReportScreen"), 1509);
    cmdSetup_ = Button(QStringLiteral("cmdSetup"), 1510);
    cmdUseMultipleBackup_ = Button(QStringLiteral("cmdUseMultipleBackup"), 1511);
    cmdMultipleBackup_ = Button(QStringLiteral("cmdMultipleBackup"), 1512);
    cmdHelp_ = Button(QStringLiteral("cmdHelp"), 1513);
    cmdQuit_ = Button(QStringLiteral("cmdQuit"), 1514);

    cboIncludedFolders_ = new QComboBox;
    cboIncludedFolders_->setObjectName(QStringLiteral("cboIncludedFolders"));
    cboPercent_ = new QComboBox;
    cboPercent_->setObjectName(QStringLiteral("cboPercent"));
    cboModifiedSince_ = new QComboBox;
    cboModifiedSince_->setObjectName(QStringLiteral("cboModifiedSince"));

    chkIncludeSubfolders_ = CheckBox(QStringLiteral("chkIncludeSubfolders"), 1515);
    chkExcludeFilesInSourceFolder_ = CheckBox(QStringLiteral("chkExcludeFilesInSourceFolder"), 1413);
    chkWarnIfEarlier_ = CheckBox(QStringLiteral("chkWarnIfEarlier"), 1516);
    chkWarnIfSmaller_ = CheckBox(QStringLiteral("chkWarnIfSmaller"), 1517);
    chkPauseAfterFirstCopy_ = CheckBox(QStringLiteral("chkPauseAfterFirstCopy"), 1518);
    chkPauseAfterFirstDelete_ = CheckBox(QStringLiteral("chkPauseAfterFirstDelete"), 1519);
    chkSuppressDetailedReports_ = CheckBox(QStringLiteral("chkSuppressDetailedReports"), 1520);
    chkSaveSetupOnQuit_ = CheckBox(QStringLiteral("chkSaveSetupOnQuit"), 1521);
    chkDisableOutputToFile_ = CheckBox(QStringLiteral("chkDisableOutputToFile"), 1522);
    extraOptions_ = new ExtraOptionsPanel(setup_);

    txbFileExtension_ = TextBox(QStringLiteral("txbFileExtension"), false);
    txbFileExtension_->setMaximumWidth(Px(1200));
    txbExcludedFilepaths_ = TextBox(QStringLiteral("txbExcludedFilepaths"), false);
    // The report file and the setup file are chosen in file dialogs, never typed.
    txbReportFile_ = TextBox(QStringLiteral("txbReportFile"), true);
    txbSetupFile_ = TextBox(QStringLiteral("txbSetupFile"), true);

    lblIntro_ = Label(QStringLiteral("lblIntro"));
    lblIntro_->setAutoFillBackground(true);
    lblNumSubfolders_ = Label(QStringLiteral("lblNumSubfolders"));
    lblFreeSpace_ = Label(QStringLiteral("lblFreeSpace"));
    lblTargetFolderIsEmpty_ = Label(QStringLiteral("lblTargetFolderIsEmpty"), 157);
    lblBackupOnlyExtension_ = Label(QStringLiteral("lblBackupOnlyExtension"), 1525);
    lblSkipFilepaths_ = Label(QStringLiteral("lblSkipFilepaths"), 1526);
    lblOfSizeOf_ = Label(QStringLiteral("lblOfSizeOf"), 1527);
    // The drop-down's items end the caption's sentence: "Files new or modified in the last 3 days".
    lblModifiedSince_ = Label(QStringLiteral("lblModifiedSince"));
    lblModifiedSince_->setBuddy(cboModifiedSince_);
    lblNumSetups_ = Label(QStringLiteral("lblNumSetups"));
    lblMultipleBackupExplanation_ = Label(QStringLiteral("lblMultipleBackupExplanation"), 1528);
    lblPreviousRun_ = Label(QStringLiteral("lblPreviousRun"));
    lblWarningReFilesInUse_ = Label(ControlName("lblWarningReFilesInUse", 0), 5);
    lblSelectedSetup_ = Label(QStringLiteral("lblSelectedSetup"));

    // The setup commands open beside the menu, over the window.
    fraSetup_ = new QFrame(this);
    fraSetup_->setObjectName(QStringLiteral("fraSetup"));
    fraSaveSetup_ = new QFrame(this);
    fraSaveSetup_->setObjectName(QStringLiteral("fraSaveSetup"));
    for (QFrame* frame : {fraSetup_, fraSaveSetup_}) {
        frame->setFrameShape(QFrame::Box);
        frame->setAutoFillBackground(true);
        frame->hide();
    }
    cmdLoadSetup_ = Button(QStringLiteral("cmdLoadSetup"), 1529);
    cmdSaveSetup_ = Button(QStringLiteral("cmdSaveSetup"), 1530);
    cmdClearSetup_ = Button(QStringLiteral("cmdClearSetup"), 1531);
    cmdRestoreSetup_ = Button(QStringLiteral("cmdRestoreSetup"), 1532);
    cmdKeepSetup_ = Button(QStringLiteral("cmdKeepSetup"), 1533);
    cmdSaveSetupForNextRun_ = Button(QStringLiteral("cmdSaveSetupForNextRun"), 1534);
    cmdSaveSetupAsOperationFile_ = Button(QStringLiteral("cmdSaveSetupAsOperationFile"), 117);
    cmdSaveSetupInBothWays_ = Button(QStringLiteral("cmdSaveSetupInBothWays"), 1535);
    cmdDontSaveSetup_ = Button(QStringLiteral("cmdDontSaveSetup"), 1533);
    auto* setupLayout = new QVBoxLayout(fraSetup_);
    for (QPushButton* button :
         {cmdLoadSetup_, cmdSaveSetup_, cmdClearSetup_, cmdRestoreSetup_, cmdKeepSetup_})
        setupLayout->addWidget(button);
    auto* saveLayout = new QVBoxLayout(fraSaveSetup_);
    for (QPushButton* button :
         {cmdSaveSetupForNextRun_, cmdSaveSetupAsOperationFile_, cmdSaveSetupInBothWays_, cmdDontSaveSetup_})
        saveLayout->addWidget(button);
}

void frmMain::LayOutControls() {
    // Source, target and setups folders each with their button on the left and their box on the
    // right; the filters and options below; the operation buttons at the bottom of the menu.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(Px(120));
    grid->setVerticalSpacing(Px(60));
    grid->setColumnStretch(1, 1);
    int row = 0;

    grid->addWidget(cmdSpecifyDirectory_[0], row, 0);
    grid->addWidget(txbDirectory_[0], row, 1);
    grid->addWidget(cmdClearFolder_[0], row, 2);
    ++row;
    // The intro lies over the subfolder count while no source folder is named.
    grid->addWidget(lblNumSubfolders_, row, 1);
    grid->addWidget(lblIntro_, row, 1);
    ++row;
    grid->addWidget(cmdSelectSubfolders_, row, 0);
    grid->addLayout(Row({cboIncludedFolders_, cmdRemoveSubfolder_}), row, 1, 1, 2);
    cboIncludedFolders_->setMinimumWidth(Px(4000));
    ++row;
    grid->addLayout(Row({chkIncludeSubfolders_, chkExcludeFilesInSourceFolder_}), row, 1, 1, 2);
    ++row;
    grid->addWidget(cmdSpecifyDirectory_[1], row, 0);
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(txbDirectory_[1], 1);
    targetRow->addWidget(cmdEmptyTargetFolder_);
    grid->addLayout(targetRow, row, 1);
    grid->addWidget(cmdClearFolder_[1], row, 2);
    ++row;
    grid->addWidget(cmdCreateSubFolder_, row, 0);
    auto* targetStatus = new QHBoxLayout;
    targetStatus->addWidget(lblTargetFolderIsEmpty_);
    targetStatus->addStretch(1);
    targetStatus->addWidget(lblFreeSpace_);
    grid->addLayout(targetStatus, row, 1);
    ++row;

    auto* filters = new QHBoxLayout;
    filters->setSpacing(Px(90));
    filters->addWidget(lblBackupOnlyExtension_);
    filters->addWidget(txbFileExtension_);
    filters->addSpacing(Px(240));
    filters->addWidget(lblSkipFilepaths_);
    filters->addWidget(txbExcludedFilepaths_, 1);
    grid->addLayout(filters, row, 0, 1, 2);
    grid->addWidget(cmdClearFolder_[2], row, 2);
    ++row;
    grid->addLayout(Row({lblModifiedSince_, cboModifiedSince_}), row, 0, 1, 3);
    ++row;
    grid->addLayout(Row({chkWarnIfEarlier_}), row, 0, 1, 3);
    ++row;
    grid->addLayout(Row({chkWarnIfSmaller_, cboPercent_, lblOfSizeOf_}), row, 0, 1, 3);
    ++row;
    grid->addLayout(Row({chkPauseAfterFirstCopy_, chkPauseAfterFirstDelete_}), row, 0, 1, 3);
    ++row;
    grid->addLayout(Row({chkSuppressDetailedReports_, chkSaveSetupOnQuit_}), row, 0, 1, 3);
    ++row;
    grid->addWidget(extraOptions_, row, 0, 1, 3);
    ++row;
    grid->addWidget(cmdReportFile_, row, 0);
    auto* reportRow = new QHBoxLayout;
    reportRow->addWidget(txbReportFile_, 1);
    reportRow->addWidget(chkDisableOutputToFile_);
    grid->addLayout(reportRow, row, 1);
    grid->addWidget(cmdClearFolder_[4], row, 2);
    ++row;

    auto* separator = new QFrame;
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    grid->addWidget(separator, row, 0, 1, 3);
    ++row;

    auto* operations = new QHBoxLayout;
    for (QPushButton* button : {cmdListSubFolders_, cmdCheckBackupState_, cmdBackupAllFiles_,
                                cmdBackupModifiedFiles_, cmdDeleteAllBackupFiles_})
        operations->addWidget(button);
    grid->addLayout(operations, row, 0, 1, 3);
    ++row;

    auto* commands = new QHBoxLayout;
    commands->addWidget(cmdReportScreen_);
    commands->addWidget(cmdSetup_);
    commands->addWidget(cmdRestore_);
    commands->addWidget(txbSetupFile_, 1);
    commands->addWidget(cmdHelp_);
    commands->addWidget(cmdQuit_);
    grid->addLayout(commands, row, 0, 1, 3);
    ++row;

    auto* multiple = new QHBoxLayout;
    multiple->addWidget(cmdUseMultipleBackup_);
    multiple->addWidget(lblMultipleBackupExplanation_);
    multiple->addWidget(cmdMultipleBackup_);
    multiple->addWidget(cmdSpecifyDirectory_[2]);
    multiple->addWidget(txbDirectory_[2], 1);
    multiple->addWidget(cmdClearFolder_[3]);
    multiple->addWidget(lblNumSetups_);
    multiple->addStretch(0);
    grid->addLayout(multiple, row, 0, 1, 3);

    fraMenu_->setLayout(grid);

    auto* status = new QHBoxLayout;
    status->addWidget(lblWarningReFilesInUse_);
    status->addStretch(1);
    status->addWidget(lblSelectedSetup_);
    status->addWidget(lblPreviousRun_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(180), Px(180), Px(180), Px(120));
    layout->addWidget(fraMenu_);
    layout->addLayout(status);
    setMinimumWidth(Px(12000));
}

void frmMain::ConnectControls() {
    for (int i = 0; i < 3; ++i) {
        connect(cmdSpecifyDirectory_[i], &QPushButton::clicked, this,
                [this, i] { cmdSpecifyDirectory_MouseUp(i); });
        txbDirectory_[i]->installEventFilter(this);
    }
    for (int i = 0; i < 5; ++i)
        connect(cmdClearFolder_[i], &QPushButton::clicked, this, [this, i] { cmdClearFolder_Click(i); });
    txbReportFile_->installEventFilter(this);
    txbFileExtension_->installEventFilter(this);
    txbExcludedFilepaths_->installEventFilter(this);

    connect(cmdRemoveSubfolder_, &QPushButton::clicked, this, &frmMain::cmdRemoveSubfolder_Click);
    connect(cmdSelectSubfolders_, &QPushButton::clicked, this, &frmMain::cmdSelectSubfolders_MouseUp);
    connect(cmdCreateSubFolder_, &QPushButton::clicked, this, &frmMain::cmdCreateSubFolder_MouseUp);
    connect(cmdEmptyTargetFolder_, &QPushButton::clicked, this, &frmMain::cmdEmptyTargetFolder_Click);
    connect(cmdListSubFolders_, &QPushButton::clicked, this, &frmMain::cmdListSubFolders_MouseUp);
    connect(cmdCheckBackupState_, &QPushButton::clicked, this, &frmMain::cmdCheckBackupState_MouseUp);
    connect(cmdBackupAllFiles_, &QPushButton::clicked, this, &frmMain::cmdBackupAllFiles_MouseUp);
    connect(cmdBackupModifiedFiles_, &QPushButton::clicked, this, &frmMain::cmdBackupModifiedFiles_MouseUp);
    connect(cmdDeleteAllBackupFiles_, &QPushButton::clicked, this, &frmMain::cmdDeleteAllBackupFiles_MouseUp);
    connect(cmdRestore_, &QPushButton::clicked, this, &frmMain::cmdRestore_Click);
    connect(cmdReportFile_, &QPushButton::clicked, this, &frmMain::cmdReportFile_MouseUp);
    connect(cmdReportScreen_, &QPushButton::clicked, this, &frmMain::cmdReportScreen_MouseUp);
    connect(cmdSetup_, &QPushButton::clicked, this, &frmMain::cmdSetup_MouseUp);
    connect(cmdUseMultipleBackup_, &QPushButton::clicked, this, &frmMain::cmdUseMultipleBackup_Click);
    connect(cmdMultipleBackup_, &QPushButton::clicked, this, &frmMain::cmdMultipleBackup_Click);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmMain::cmdHelp_MouseUp);
    connect(cmdQuit_, &QPushButton::clicked, this, &frmMain::cmdQuit_MouseUp);

    // The check boxes write the setup as the user ticks them.
    const auto bind = [this](QCheckBox* box, int Setup::*field) {
        connect(box, &QCheckBox::toggled, this,
                [this, field](bool checked) { setup_.*field = checked ? 1 : 0; });
    };
    bind(chkIncludeSubfolders_, &Setup::chkIncludeSubfolders);
    bind(chkExcludeFilesInSourceFolder_, &Setup::chkExcludeFilesInSourceFolder);
    bind(chkWarnIfEarlier_, &Setup::chkWarnIfEarlier);
    bind(chkWarnIfSmaller_, &Setup::chkWarnIfSmaller);
    bind(chkPauseAfterFirstCopy_, &Setup::chkPauseAfterFirstCopy);
    bind(chkPauseAfterFirstDelete_, &Setup::chkPauseAfterFirstDelete);
    bind(chkSuppressDetailedReports_, &Setup::chkSuppressDetailedReports);
    bind(chkSaveSetupOnQuit_, &Setup::chkSaveSetupOnQuit);
    bind(chkDisableOutputToFile_, &Setup::chkDisableOutputToFile);
    connect(chkSuppressDetailedReports_, &QCheckBox::toggled, this,
            &frmMain::chkSuppressDetailedReports_Click);
    connect(chkIncludeSubfolders_, &QCheckBox::toggled, this, &frmMain::chkIncludeSubfolders_Click);

    connect(txbFileExtension_, &QLineEdit::textEdited, this,
            [this](const QString& text) { setup_.txbFileExtension = Ss(text); });
    connect(txbExcludedFilepaths_, &QLineEdit::textEdited, this,
            [this](const QString& text) { setup_.txbExcludedFilepaths = Ss(text); });

    connect(cboPercent_, &QComboBox::currentIndexChanged, this, &frmMain::cboPercent_Click);
    connect(cboModifiedSince_, &QComboBox::currentIndexChanged, this, &frmMain::cboModifiedSince_Click);
    connect(cboIncludedFolders_, &QComboBox::currentIndexChanged, this, &frmMain::cboIncludedFolders_Click);

    // Moving the mouse over a command button gives it the focus.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        if (button != cmdUseMultipleBackup_)
            button->installEventFilter(this);
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (auto* button = qobject_cast<QPushButton*>(watched))
            SetFocusOnHover(button);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 3; ++i) {
            if (watched == txbDirectory_[i]) {
                QMetaObject::invokeMethod(
                    this, [this, i] { txbDirectory_MouseUp(i); }, Qt::QueuedConnection);
                return false;
            }
        }
        if (watched == txbReportFile_) {
            // A click in the report file box chooses the file, as the button does.
            QMetaObject::invokeMethod(this, &frmMain::cmdReportFile_MouseUp, Qt::QueuedConnection);
            return false;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving the box for another control, not a window opening over it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == txbFileExtension_)
                QMetaObject::invokeMethod(this, &frmMain::txbFileExtension_LostFocus, Qt::QueuedConnection);
            else if (watched == txbExcludedFilepaths_)
                txbExcludedFilepaths_LostFocus();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::SetFocusOnHover(QWidget* button) {
    if (button == cmdReportScreen_ && report_->isVisible())
        return;
    if (QApplication::activeModalWidget() != nullptr)
        return;
    SetFocusIfUsable(button);
}

void frmMain::InitMainWindow() {
    txbFileExtension_->clear();
    txbExcludedFilepaths_->clear();
    lblNumSetups_->clear();
    lblNumSubfolders_->clear();
    lblSelectedSetup_->clear();
    lblTargetFolderIsEmpty_->clear();
    lblFreeSpace_->clear();
    MaxFolderTextLength_ = 70;
    lblIntro_->setText(Qs(GetProgramText(352)));
    lblModifiedSince_->setText(Qs(GetProgramText(420)));
    lblIntro_->hide();
    chkIncludeSubfolders_->hide();
    lblWarningReFilesInUse_->setText(Qs(GetProgramText(5)));
    lblWarningReFilesInUse_->hide();
    txbSetupFile_->clear();
    txbSetupFile_->hide();
    txbReportFile_->clear();
    txbReportFile_->show();

    {
        const QSignalBlocker blockPercent(cboPercent_);
        const QSignalBlocker blockSince(cboModifiedSince_);
        cboPercent_->clear();
        for (const std::string& item : PercentItems())
            cboPercent_->addItem(Qs(item));
        cboModifiedSince_->clear();
        for (const ModifiedSinceItem& item : ModifiedSinceItems())
            cboModifiedSince_->addItem(Qs(item.text), item.value);
        cboModifiedSince_->setCurrentIndex(0);
    }
    ClearSetupAndControls();
}

void frmMain::ShowSetupInControls() {
    loading_ = true;
    for (int i = 0; i < 2; ++i)
        SetFolderText(i, setup_.txbDirectory[i]);
    const auto check = [](QCheckBox* box, int value) {
        const QSignalBlocker block(box);
        box->setChecked(value != 0);
    };
    check(chkSuppressDetailedReports_, setup_.chkSuppressDetailedReports);
    check(chkSaveSetupOnQuit_, setup_.chkSaveSetupOnQuit);
    check(chkWarnIfEarlier_, setup_.chkWarnIfEarlier);
    check(chkWarnIfSmaller_, setup_.chkWarnIfSmaller);
    check(chkExcludeFilesInSourceFolder_, setup_.chkExcludeFilesInSourceFolder);
    check(chkIncludeSubfolders_, setup_.chkIncludeSubfolders);
    check(chkPauseAfterFirstCopy_, setup_.chkPauseAfterFirstCopy);
    check(chkPauseAfterFirstDelete_, setup_.chkPauseAfterFirstDelete);
    check(chkDisableOutputToFile_, setup_.chkDisableOutputToFile);
    // With detailed reports suppressed no pause is taken: the pause boxes wait, disabled. A setup
    // loaded during an operation (a multiple backup's next setup) belongs to that operation: its
    // boxes stay disabled until it ends.
    const bool pauseBoxesUsable = setup_.chkSuppressDetailedReports == 0 && !operationRunning();
    chkPauseAfterFirstCopy_->setEnabled(pauseBoxesUsable);
    chkPauseAfterFirstDelete_->setEnabled(pauseBoxesUsable);
    {
        const QSignalBlocker blockPercent(cboPercent_);
        const QSignalBlocker blockSince(cboModifiedSince_);
        cboPercent_->setCurrentIndex(setup_.cboPercent);
        cboModifiedSince_->setCurrentIndex(setup_.cboModifiedSince);
    }
    state_.intSuspectPercent = setup_.intSuspectPercent();
    txbExcludedFilepaths_->setText(Qs(setup_.txbExcludedFilepaths));
    txbExcludedFilepaths_LostFocus();
    txbFileExtension_->setText(Qs(setup_.txbFileExtension));
    SetReportFileText(setup_.txbReportFile);
    ShowIncludedFolders();
    extraOptions_->ShowSetup();
    loading_ = false;
}

void frmMain::ShowIncludedFolders() {
    const QSignalBlocker block(cboIncludedFolders_);
    cboIncludedFolders_->clear();
    for (const std::string& entry : setup_.cboIncludedFolders)
        cboIncludedFolders_->addItem(Qs(entry));
    cboIncludedFolders_->setCurrentIndex(setup_.cboIncludedFoldersListIndex);
}

void frmMain::SetFolderText(int Index, const std::string& text) {
    if (Index < 2)
        setup_.txbDirectory[static_cast<std::size_t>(Index)] = text;
    else
        setupsFolder_ = text;
    QLineEdit* box = txbDirectory_[static_cast<std::size_t>(Index)];
    box->setText(Qs(text));
    box->setCursorPosition(0);
    box->setToolTip(static_cast<int>(CharacterCount(text)) > MaxFolderTextLength_ ? Qs(text) : QString());
}

void frmMain::SetReportFileText(const std::string& text) {
    setup_.txbReportFile = text;
    txbReportFile_->setText(Qs(text));
    txbReportFile_->setCursorPosition(0);
    txbReportFile_->setVisible(!text.empty() && fraMenu_->isEnabled());
    cmdClearFolder_[4]->setVisible(!text.empty());
    RefreshToolTips();
}

void frmMain::ClearSetupAndControls() {
    ClearSetup(setup_);
    ShowSetupInControls();
    fraSaveSetup_->hide();
    fraMenu_->setEnabled(true);
    RefreshMenuState();
    chkPauseAfterFirstCopy_->setEnabled(true);
    chkPauseAfterFirstDelete_->setEnabled(true);
    chkExcludeFilesInSourceFolder_->hide();
    chkIncludeSubfolders_->hide();
}

void frmMain::TakeRestoreCopyOfSetup() {
    restoreCopy_ = TakeRestoreCopy(setup_);
}

void frmMain::chkSuppressDetailedReports_Click() {
    if (loading_)
        return;
    if (chkSuppressDetailedReports_->isChecked()) {
        // The pause boxes' ticks are kept, to be given back when the box is unticked.
        restoreCopy_.chkPauseAfterFirstCopy = chkPauseAfterFirstCopy_->isChecked() ? 1 : 0;
        restoreCopy_.chkPauseAfterFirstDelete = chkPauseAfterFirstDelete_->isChecked() ? 1 : 0;
        chkPauseAfterFirstCopy_->setChecked(false);
        chkPauseAfterFirstDelete_->setChecked(false);
        chkPauseAfterFirstCopy_->setEnabled(false);
        chkPauseAfterFirstDelete_->setEnabled(false);
    } else {
        if (restoreCopy_.chkPauseAfterFirstCopy == 1)
            chkPauseAfterFirstCopy_->setChecked(true);
        if (restoreCopy_.chkPauseAfterFirstDelete == 1)
            chkPauseAfterFirstDelete_->setChecked(true);
        chkPauseAfterFirstCopy_->setEnabled(true);
        chkPauseAfterFirstDelete_->setEnabled(true);
    }
}

void frmMain::cboPercent_Click() {
    if (loading_)
        return;
    setup_.cboPercent = std::max(0, cboPercent_->currentIndex());
    state_.intSuspectPercent = setup_.intSuspectPercent();
    if (state_.blnStartupCompleted)
        FocusNextStep();
}

void frmMain::cboModifiedSince_Click() {
    if (loading_)
        return;
    setup_.cboModifiedSince = std::max(0, cboModifiedSince_->currentIndex());
    if (state_.blnStartupCompleted)
        FocusNextStep();
}

void frmMain::cboIncludedFolders_Click() {
    if (loading_)
        return;
    setup_.cboIncludedFoldersListIndex = cboIncludedFolders_->currentIndex();
    if (state_.blnStartupCompleted)
        FocusNextStep();
}

void frmMain::FocusNextStep() {
    if (!isVisible() || !fraMenu_->isEnabled() || operationRunning())
        return;
    if (setup_.txbDirectory[0].empty())
        SetFocusIfUsable(cmdSpecifyDirectory_[0]);
    else if (setup_.txbDirectory[1].empty())
        SetFocusIfUsable(cmdSpecifyDirectory_[1]);
    else if (cmdBackupModifiedFiles_->isEnabled())
        SetFocusIfUsable(cmdBackupModifiedFiles_);
}

void frmMain::RefreshToolTips() {
    const auto tip = [](QLineEdit* box) {
        const QString text = box->text();
        box->setToolTip(text.toUcs4().size() >= 61 ? text : QString());
    };
    tip(txbSetupFile_);
    tip(txbReportFile_);
}

void frmMain::RefreshMenuState() {
    const bool enabled = fraMenu_->isEnabled();
    txbSetupFile_->setVisible(enabled && !txbSetupFile_->text().isEmpty());
    txbReportFile_->setVisible(enabled && !txbReportFile_->text().isEmpty());
    lblWarningReFilesInUse_->setVisible(enabled);
}

void frmMain::Clock_Timer() {
    RefreshToolTips();
    const bool reportFileNamed = !txbReportFile_->text().isEmpty();
    // While an operation runs its controls stay as it set them; the operation owns the setup.
    if (!operationRunning()) {
        if (!reportFileNamed && chkDisableOutputToFile_->isChecked())
            chkDisableOutputToFile_->setChecked(false);
        cmdClearFolder_[2]->setVisible(!txbExcludedFilepaths_->text().isEmpty());
        cmdClearFolder_[3]->setVisible(!txbDirectory_[2]->text().isEmpty() && !txbDirectory_[2]->isHidden());
        cmdClearFolder_[4]->setVisible(reportFileNamed);
        chkDisableOutputToFile_->setEnabled(reportFileNamed);
        txbReportFile_->setVisible(reportFileNamed && fraMenu_->isEnabled());
        cmdReportScreen_->setEnabled(report_->HasText());
    }
    if (blnLastRunFileCurrent_) {
        ++intLastRunFileTicks_;
        if (intLastRunFileTicks_ > 10)
            blnLastRunFileCurrent_ = false;
    }
}

void frmMain::Clock2_Timer() {
    blnDialogJustClosed_ = false;
    Clock2_->stop();
}

void frmMain::SetDialogJustClosed() {
    // The release that ends a double click in the dialog must not start the button below it.
    blnDialogJustClosed_ = true;
    Clock2_->start();
}

void frmMain::EnableFormControls(bool enabled) {
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(widget) || qobject_cast<QCheckBox*>(widget) ||
            qobject_cast<QPushButton*>(widget) || qobject_cast<QRadioButton*>(widget) ||
            qobject_cast<QSpinBox*>(widget))
            widget->setEnabled(enabled);
    }
    if (enabled && extraOptions_ != nullptr)
        extraOptions_->ShowSetup(); // the removal limit only while removal is chosen
    // The filters are the setup the operation reads: not edited while it runs.
    txbFileExtension_->setEnabled(enabled);
    txbExcludedFilepaths_->setEnabled(enabled);
    update();
}

void frmMain::RefreshKeyboardOrder() {
    // The buttons carry Alt shortcuts; the check boxes keep their captions as they are.
    AssignMnemonics(this, [](const QAbstractButton* button) {
        return qobject_cast<const QPushButton*>(button) == nullptr;
    });
    if (isVisible())
        OrderTabsByPosition(this);
}

void frmMain::HoldControlsForOperation() {
    EnableFormControls(false);
    cmdQuit_->setEnabled(true);
}

int frmMain::SmallReportWindowTop(bool listing) const {
    const QWidget* below = listing ? static_cast<QWidget*>(cmdListSubFolders_) : txbDirectory_[1];
    const int offset = listing ? 440 : 720;
    const QPoint inWindow = below->mapTo(this, QPoint(0, 0));
    const int frameTop = geometry().top() - frameGeometry().top();
    return Twips(inWindow.y() + frameTop) + offset;
}

QPoint frmMain::ConfirmWindowPosition() const {
    if (multipleBackupRunning_ && txbSetupFile_->isVisible()) {
        // During a multiple backup, below the box that names the setup about to run, its frame
        // clear of the box so the user sees which setup the question is about.
        const QPoint box = txbSetupFile_->mapToGlobal(QPoint(0, 0));
        return QPoint(box.x(), std::max(box.y() + Px(720), box.y() + txbSetupFile_->height() + Px(120)));
    }
    // Below the settings, so they stay in view above the question.
    const QPoint anchor = cmdReportFile_->mapToGlobal(QPoint(0, cmdReportFile_->height()));
    const QPoint left = txbReportFile_->mapToGlobal(QPoint(0, 0));
    return QPoint(left.x() + Px(120), anchor.y() + Px(180));
}

void frmMain::cmdReportScreen_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    report_->SetReportButtons(true, false, QString(), true, Qs(GetProgramText(58)));
    report_->SetCopyButtonCaption(Qs(GetProgramText(112)));
    const bool wasVisible = report_->isVisible();
    if (!wasVisible) {
        report_->Activate();
        report_->show();
    }
    if (!chkSuppressDetailedReports_->isChecked() && report_->TextLength() > 1000) {
        report_->ResizeForm(850, Twips(frameGeometry().height()) - 1000);
        report_->SetReportButtons2();
    }
    report_->txbText()->moveCursor(QTextCursor::Start);
    report_->raise();
    report_->activateWindow();
}

void frmMain::cmdHelp_MouseUp() {
    if (blnDialogJustClosed_)
        return;
    if (view_->isMinimized()) {
        view_->showNormal();
    } else {
        const QRect main = frameGeometry();
        view_->setGeometry(main.left() + Px(100), main.top() + Px(380), main.width() - Px(200),
                           main.height() - Px(480));
    }
    view_->strFilename = Qs(platform::programFolder() + "zbk_help.txt");
    view_->setWindowTitle(Qs(GetProgramText(343)));
    if (view_->isVisible())
        view_->Form_Activate();
    else
        view_->show();
    view_->raise();
    view_->activateWindow();
}

void frmMain::cmdEmptyTargetFolder_Click() {
    if (operationRunning())
        return;
    const std::string& target = setup_.txbDirectory[1];
    const bool wholeDisk = !target.empty() && DriveOfPath(target) == target;
    ShowMessageBox(this,
                   GetProgramText(wholeDisk ? 1539 : 1540) + " '" + Ss(Caption(cmdDeleteAllBackupFiles_)) +
                       "' " + GetProgramText(1541),
                   GetProgramText(wholeDisk ? 1542 : 1543));
    SetFocusIfUsable(cmdDeleteAllBackupFiles_);
}

void frmMain::SourceFolderMissing(const std::string& text) {
    ShowMessageBox(this, text, GetProgramText(1214), MessageButtons::Ok, MessageIcon::Exclamation);
}

void frmMain::TargetFolderNotFound(const std::string& text, Setup& setup) {
    if (&setup == &setup_) {
        PromptTargetFolderNotFound(text);
        return;
    }
    const std::string question =
        GetProgramText(79) + " " + setup.txbDirectory[1] + "\r\n" + text + "\r\n\r\n" + GetProgramText(82);
    if (ShowMessageBox(this, question, GetProgramText(59), MessageButtons::YesNo) == MessageAnswer::Yes)
        setup.txbDirectory[1].clear();
}

void frmMain::ForgetSelectedSetupFile() {
    txbSetupFile_->clear();
    txbSetupFile_->hide();
}

} // namespace kestrel::forms
