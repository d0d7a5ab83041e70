#include "forms/multiple/frmMultipleBackup.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/MessageBoxes.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/MessageBox.h"
#include "modules/StrProc.h"
#include "platform/FileSystem.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrel::forms {

namespace {

const QColor kRowColor(200, 240, 242);

void SetBackColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter presses the button that has the focus, else the default one.
    button->setAutoDefault(true);
    return button;
}

} // namespace

bool ListSetupFiles(const std::string& setupsFolder, std::vector<std::string>& names,
                    std::string& errorDescription) {
    double size = 0;
    if (ListFiles(setupsFolder, names, "*.zbk", false, errorDescription, size) < 0)
        return false;
    // A directory stream gives the names in no useful order: they are listed as a folder
    // window lists them, by name.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LowerCaseWithAccents(a) < LowerCaseWithAccents(b);
    });
    return true;
}

std::string SetupsOverflowNote(int numSetups) {
    if (numSetups <= kMaxDisplayedSetups)
        return {};
    return GetProgramText(1287) + " " + std::to_string(numSetups) + " " + GetProgramText(1288) + "\r\n" +
           GetProgramText(1569) + " " + std::to_string(kMaxDisplayedSetups) + " " + GetProgramText(1570) +
           "\r\n" + GetProgramText(1571);
}

frmMultipleBackup::frmMultipleBackup(MultipleBackupHost host, QWidget* parent)
    : QDialog(parent != nullptr ? parent : host.mainWindow,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      host_(std::move(host)), Label1_(new QLabel(this)), Label2_(new QLabel(this)),
      rowsLayout_(new QGridLayout), chkConfirmEach_(new QCheckBox(this)) {
    setObjectName(QStringLiteral("frmMultipleBackup"));
    setModal(true);
    Label1_->setObjectName(QStringLiteral("Label1"));
    Label2_->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {Label1_, Label2_})
        label->setTextFormat(Qt::PlainText);
    chkConfirmEach_->setObjectName(QStringLiteral("chkConfirmEach"));
    cmdCheckAll_[0] = Button(this, ControlName("cmdCheckAll", 0), Pt(1572));
    cmdCheckAll_[1] = Button(this, ControlName("cmdCheckAll", 1), Pt(1573));
    cmdMultipleBackup_ = Button(this, QStringLiteral("cmdMultipleBackup"), QString());
    cmdCancel_ = Button(this, QStringLiteral("cmdCancel"), Qs(AnswerCaption(MessageAnswer::Cancel)));
    cmdClose_ = Button(this, QStringLiteral("cmdClose"), Pt(58));

    for (int i = 0; i < 2; ++i)
        connect(cmdCheckAll_[i], &QPushButton::clicked, this, [this, i] { cmdCheckAll_Click(i); });
    connect(cmdMultipleBackup_, &QPushButton::clicked, this, &frmMultipleBackup::cmdMultipleBackup_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmMultipleBackup::cmdCancel_Click);
    connect(cmdClose_, &QPushButton::clicked, this, &frmMultipleBackup::cmdClose_Click);

    // The explanation, the rows of setup files, then the commands below the last row.
    rowsLayout_->setHorizontalSpacing(Px(120));
    rowsLayout_->setVerticalSpacing(Px(60));
    rowsLayout_->setColumnStretch(0, 1);
    auto* checkAll = new QHBoxLayout;
    checkAll->addWidget(cmdCheckAll_[0]);
    checkAll->addWidget(cmdCheckAll_[1]);
    checkAll->addStretch(1);
    auto* closing = new QHBoxLayout;
    closing->addWidget(cmdMultipleBackup_);
    closing->addStretch(1);
    closing->addWidget(cmdCancel_);
    closing->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(240), Px(180), Px(240), Px(400));
    layout->setSpacing(Px(120));
    layout->addWidget(Label1_);
    layout->addLayout(rowsLayout_);
    layout->addLayout(checkAll);
    layout->addWidget(chkConfirmEach_);
    layout->addLayout(closing);
    layout->addWidget(Label2_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

void frmMultipleBackup::Form_Load() {
    setWindowTitle(Pt(1574));
    // A shade darker than the main window.
    QColor back = host_.mainWindow != nullptr ? host_.mainWindow->palette().color(QPalette::Window)
                                              : palette().color(QPalette::Window);
    back.setRgb(std::max(0, back.red() - 32), std::max(0, back.green() - 32), std::max(0, back.blue() - 32));
    SetBackColor(this, back);
    for (QWidget* widget : {static_cast<QWidget*>(Label1_), static_cast<QWidget*>(Label2_),
                            static_cast<QWidget*>(chkConfirmEach_)})
        SetBackColor(widget, back);
    Label1_->setText(Pt(1575) + QLatin1Char('\n') + Pt(1576));
    chkConfirmEach_->setText(Pt(1577));
    cmdMultipleBackup_->setText(Qs(CaptionDoAllBackups()));
    cmdMultipleBackup_->setDefault(true);
    SetFormFontName(this, QLatin1String(kFormFont));
}

void frmMultipleBackup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Form_Activate();
}

void frmMultipleBackup::ClearRows() {
    for (QCheckBox* box : chkDoSetup_)
        delete box;
    for (QPushButton* button : cmdLoadSetup_)
        delete button;
    for (QPushButton* button : cmdDeleteSetup_)
        delete button;
    chkDoSetup_.clear();
    cmdLoadSetup_.clear();
    cmdDeleteSetup_.clear();
    files_.clear();
}

void frmMultipleBackup::Form_Activate() {
    if (!host_.position.isNull())
        move(host_.position);
    ClearRows();
    std::vector<std::string> names;
    std::string description;
    if (!ListSetupFiles(host_.setupsFolder, names, description)) {
        // Told once the window is up; then it closes.
        QMetaObject::invokeMethod(
            this,
            [this] {
                ShowMessageBox(this, GetProgramText(1578) + "\r\n" + host_.setupsFolder,
                               CaptionMultipleBackup(), MessageButtons::Ok, MessageIcon::Exclamation);
                done(QDialog::Rejected);
            },
            Qt::QueuedConnection);
        return;
    }
    const int found = static_cast<int>(names.size());
    const int n = std::min(found, kMaxDisplayedSetups);
    files_.assign(names.begin(), names.begin() + n);
    const QFont font = chkConfirmEach_->font();
    for (int i = 0; i < n; ++i) {
        auto* box = new QCheckBox(Qs(files_[static_cast<std::size_t>(i)]), this);
        box->setObjectName(ControlName("chkDoSetup", i));
        box->setFont(font);
        SetBackColor(box, kRowColor);
        auto* load = Button(this, ControlName("cmdLoadSetup", i), Pt(1579));
        auto* remove = Button(this, ControlName("cmdDeleteSetup", i), Pt(1580));
        load->setFont(font);
        remove->setFont(font);
        connect(load, &QPushButton::clicked, this, [this, i] { cmdLoadSetup_Click(i); });
        connect(remove, &QPushButton::clicked, this, [this, i] { cmdDeleteSetup_Click(i); });
        rowsLayout_->addWidget(box, i, 0);
        rowsLayout_->addWidget(load, i, 1);
        rowsLayout_->addWidget(remove, i, 2);
        chkDoSetup_.push_back(box);
        cmdLoadSetup_.push_back(load);
        cmdDeleteSetup_.push_back(remove);
    }
    cmdCheckAll_[0]->setVisible(n >= 2);
    cmdCheckAll_[1]->setVisible(n >= 2);
    const std::string note = SetupsOverflowNote(found);
    Label2_->setText(DisplayText(note));
    Label2_->setVisible(!note.empty());

    // The check boxes (the rows' file names) and the run button keep their captions as they are.
    AssignMnemonics(this, [this](const QAbstractButton* button) {
        return button == cmdMultipleBackup_ || qobject_cast<const QPushButton*>(button) == nullptr;
    });
    layout()->activate();
    OrderTabsByPosition(this);
}

void frmMultipleBackup::cmdCheckAll_Click(int Index) {
    for (QCheckBox* box : chkDoSetup_)
        box->setChecked(Index == 0);
}

void frmMultipleBackup::cmdMultipleBackup_Click() {
    if (running_)
        return;
    MultipleBackupRun run;
    run.setupsFolder = host_.setupsFolder;
    run.chkConfirmEach = chkConfirmEach_->isChecked();
    bool anyTicked = false;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        MultipleBackupRow row;
        row.fileName = files_[i];
        row.chkDoSetup = chkDoSetup_[i]->isChecked();
        anyTicked = anyTicked || row.chkDoSetup;
        run.rows.push_back(row);
    }
    if (!anyTicked) {
        ShowMessageBox(this, GetProgramText(1289), "");
        return;
    }
    // The window steps aside when the first backup starts, after the questions that may keep it.
    bool hidden = false;
    run.showSetupFile = [this, &hidden](const std::string& path) {
        if (!path.empty() && !hidden) {
            hidden = true;
            hide();
        }
        if (host_.ShowSetupFile)
            host_.ShowSetupFile(path);
    };
    run.setupLoaded = host_.SetupLoaded;
    running_ = true;
    const MultipleBackupOutcome outcome =
        host_.RunBackups ? host_.RunBackups(run) : MultipleBackupOutcome::Cancelled;
    running_ = false;
    if (outcome == MultipleBackupOutcome::Ran || hidden)
        done(QDialog::Accepted);
}

void frmMultipleBackup::cmdLoadSetup_Click(int Index) {
    if (running_ || Index < 0 || static_cast<std::size_t>(Index) >= files_.size())
        return;
    const std::string path = host_.setupsFolder + files_[static_cast<std::size_t>(Index)];
    hide();
    if (host_.LoadSetupFile)
        host_.LoadSetupFile(path);
    done(QDialog::Accepted);
}

void frmMultipleBackup::cmdDeleteSetup_Click(int Index) {
    if (running_ || Index < 0 || static_cast<std::size_t>(Index) >= files_.size())
        return;
    const std::string path = host_.setupsFolder + files_[static_cast<std::size_t>(Index)];
    if (ShowMessageBox(this, GetProgramText(1581) + "\r\n" + path + " ?", GetProgramText(1582),
                       MessageButtons::YesNo, MessageIcon::Question, 2) != MessageAnswer::Yes)
        return;
    const platform::Error error = platform::removeFile(path);
    if (error)
        ShowMessageBox(this, error.description + "\r\n" + path, GetProgramText(1582), MessageButtons::Ok,
                       MessageIcon::Exclamation);
    if (host_.SetupFilesChanged)
        host_.intNumSetups = host_.SetupFilesChanged();
    // The list is built anew.
    Form_Activate();
}

void frmMultipleBackup::cmdCancel_Click() {
    done(QDialog::Rejected);
}

void frmMultipleBackup::cmdClose_Click() {
    done(QDialog::Rejected);
}

} // namespace kestrel::forms
