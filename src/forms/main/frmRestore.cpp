#include "forms/main/frmRestore.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/FileDialogs.h"
#include "modules/Language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace kestrel::forms {

namespace {

QPushButton* NamedButton(const QString& name, int text) {
    auto* button = new QPushButton(Qs(GetProgramText(text)));
    button->setObjectName(name);
    return button;
}

} // namespace

frmRestore::frmRestore(QWidget* parent, const Setup& setup) : QDialog(parent), setup_(setup) {
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(Qs(GetProgramText(1916)));
    setModal(true);

    auto* lblRestoreTo = new QLabel(Qs(GetProgramText(1917)));
    txbRestoreTo_ = new QLineEdit(Qs(setup.txbDirectory[0]));
    txbRestoreTo_->setObjectName(QStringLiteral("txbRestoreTo"));
    cmdBrowse_ = NamedButton(QStringLiteral("cmdBrowse"), 1917);
    cmdBrowse_->setText(QStringLiteral("..."));
    // The folder's path takes the room; the button stays its own size.
    cmdBrowse_->setFixedWidth(Px(480));
    txbRestoreTo_->setMinimumWidth(txbRestoreTo_->fontMetrics().averageCharWidth() * 48);

    optWholeBackup_ = new QRadioButton(Qs(GetProgramText(1918)));
    optWholeBackup_->setObjectName(QStringLiteral("optWholeBackup"));
    optWholeBackup_->setChecked(true);
    optSubfolder_ = new QRadioButton(Qs(GetProgramText(1919)));
    optSubfolder_->setObjectName(QStringLiteral("optSubfolder"));
    cboSubfolder_ = new QComboBox;
    cboSubfolder_->setObjectName(QStringLiteral("cboSubfolder"));
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(setup.intNumIncludedFolders, 0)),
                                       setup.cboIncludedFolders.size());
    for (std::size_t i = 0; i < count; ++i)
        cboSubfolder_->addItem(Qs(setup.cboIncludedFolders[i]));
    optSubfolder_->setEnabled(count > 0);
    cboSubfolder_->setEnabled(false);
    connect(optSubfolder_, &QRadioButton::toggled, cboSubfolder_, &QComboBox::setEnabled);

    // The runs are read once, as the window opens: no operation runs while it is open.
    runs_ = VersionsRunsOf(setup.txbDirectory[1]);
    optVersionsRun_ = new QRadioButton(Qs(GetProgramText(1926)));
    optVersionsRun_->setObjectName(QStringLiteral("optVersionsRun"));
    cboVersionsRun_ = new QComboBox;
    cboVersionsRun_->setObjectName(QStringLiteral("cboVersionsRun"));
    for (const VersionsRun& run : runs_)
        cboVersionsRun_->addItem(Qs(run.text));
    optVersionsRun_->setEnabled(!runs_.empty());
    cboVersionsRun_->setEnabled(false);
    connect(optVersionsRun_, &QRadioButton::toggled, cboVersionsRun_, &QComboBox::setEnabled);
    // Why the choice is not there, or what to expect of it: a version is older than the copy that
    // replaced it, so without replacing newer files it would be left out wherever a file is.
    lblVersionsRun_ = new QLabel(Qs(GetProgramText(runs_.empty() ? 1927 : 1928)));
    lblVersionsRun_->setObjectName(QStringLiteral("lblVersionsRun"));
    lblVersionsRun_->setWordWrap(true);
    lblVersionsRun_->setEnabled(!runs_.empty());

    chkOverwriteNewer_ = new QCheckBox(Qs(GetProgramText(1920)));
    chkOverwriteNewer_->setObjectName(QStringLiteral("chkOverwriteNewer"));

    cmdCheck_ = NamedButton(QStringLiteral("cmdCheck"), 1921);
    cmdRestoreStart_ = NamedButton(QStringLiteral("cmdRestoreStart"), 1922);
    cmdCancel_ = NamedButton(QStringLiteral("cmdCancel"), 1431);
    cmdRestoreStart_->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(lblRestoreTo, 0, 0);
    grid->addWidget(txbRestoreTo_, 0, 1);
    grid->addWidget(cmdBrowse_, 0, 2);
    grid->addWidget(optWholeBackup_, 1, 0, 1, 3);
    grid->addWidget(optSubfolder_, 2, 0);
    grid->addWidget(cboSubfolder_, 2, 1, 1, 2);
    grid->addWidget(optVersionsRun_, 3, 0);
    grid->addWidget(cboVersionsRun_, 3, 1, 1, 2);
    grid->addWidget(lblVersionsRun_, 4, 1, 1, 2);
    grid->addWidget(chkOverwriteNewer_, 5, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCheck_);
    buttons->addWidget(cmdRestoreStart_);
    buttons->addWidget(cmdCancel_);
    grid->addLayout(buttons, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setLayout(grid);
    SetFormFontName(this, QString::fromLatin1(kFormFont));

    connect(cmdBrowse_, &QPushButton::clicked, this, &frmRestore::cmdBrowse_Click);
    connect(cmdCheck_, &QPushButton::clicked, this, [this] { Finish(true); });
    connect(cmdRestoreStart_, &QPushButton::clicked, this, [this] { Finish(false); });
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void frmRestore::cmdBrowse_Click() {
    const std::string folder = fileDialogs().BrowseForFolder(this, GetProgramText(1917));
    if (!folder.empty())
        txbRestoreTo_->setText(Qs(folder));
}

void frmRestore::Finish(bool check) {
    RestoreRequest request;
    const std::string to = Ss(txbRestoreTo_->text().trimmed());
    // The source itself is the default; any other folder is the user's choice.
    if (to != setup_.txbDirectory[0])
        request.destination = to;
    if (optSubfolder_->isChecked())
        request.subfolder = Ss(cboSubfolder_->currentText());
    const int run = cboVersionsRun_->currentIndex();
    if (optVersionsRun_->isChecked() && run >= 0 && static_cast<std::size_t>(run) < runs_.size())
        request.versionsRun = runs_[static_cast<std::size_t>(run)].name;
    request.overwriteNewer = chkOverwriteNewer_->isChecked();
    request.check = check;
    request_ = request;
    accept();
}

std::optional<RestoreRequest> frmRestore::Ask(QWidget* parent, const Setup& setup) {
    frmRestore window(parent, setup);
    window.exec();
    return window.request_;
}

} // namespace kestrel::forms
