#include "forms/prompts/frmERFO.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/MessageBoxes.h"
#include "modules/Language.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel::forms {

frmERFO::frmERFO(QWidget* parent)
    : QDialog(parent), lblIntro_(new QLabel(this)), optOverwrite_(new QRadioButton(Pt(1246), this)),
      optAppend_(new QRadioButton(Pt(1247), this)), optDisableReport_(new QRadioButton(Pt(1248), this)),
      optCancel_(new QRadioButton(Pt(1249), this)), cmdConfirm_(new QPushButton(Pt(1245), this)) {
    setObjectName(QStringLiteral("frmERFO"));
    setWindowTitle(Pt(1250));
    setModal(true);
    lblIntro_->setObjectName(QStringLiteral("lblIntro"));
    optOverwrite_->setObjectName(QStringLiteral("optOverwrite"));
    optAppend_->setObjectName(QStringLiteral("optAppend"));
    optDisableReport_->setObjectName(QStringLiteral("optDisableReport"));
    optCancel_->setObjectName(QStringLiteral("optCancel"));
    cmdConfirm_->setObjectName(QStringLiteral("cmdConfirm"));
    cmdConfirm_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblIntro_);
    layout->addSpacing(Px(120));
    int choice = 1;
    for (QRadioButton* option : {optOverwrite_, optAppend_, optDisableReport_, optCancel_}) {
        layout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this, choice] { intChoice = choice; });
        ++choice;
    }
    layout->addSpacing(Px(120));
    layout->addWidget(cmdConfirm_, 0, Qt::AlignHCenter);
    connect(cmdConfirm_, &QPushButton::clicked, this, &frmERFO::cmdConfirm_Click);
    SetFormFontName(this, QLatin1String(kFormFont));
    AssignMnemonics(this);
}

int frmERFO::Ask(QWidget* parent, QWidget* reportFileBox) {
    frmERFO window(parent);
    if (reportFileBox != nullptr && reportFileBox->isVisible()) {
        const QPoint below = reportFileBox->mapToGlobal(QPoint(0, reportFileBox->height() + Px(120)));
        window.move(below);
    }
    window.exec();
    return window.intChoice;
}

void frmERFO::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    lblIntro_->setText(Pt(1251));
    intChoice = 0;
    // None of the four is chosen until the user picks one.
    for (QRadioButton* option : {optOverwrite_, optAppend_, optDisableReport_, optCancel_}) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
}

void frmERFO::cmdConfirm_Click() {
    if (intChoice == 0) {
        ShowMessageBox(this, GetProgramText(1252), Ss(windowTitle()));
        return;
    }
    accept();
}

void frmERFO::reject() {
    // Closing the window by its frame cancels the operation.
    intChoice = 4;
    QDialog::reject();
}

} // namespace kestrel::forms
