#include "forms/prompts/frmSourceFileEarlier.h"

#include "forms/FormsCommon.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel::forms {

frmSourceFileEarlier::frmSourceFileEarlier(QWidget* parent)
    : QDialog(parent), lblIntro_(new QLabel(this)), optCopyFile_(new QRadioButton(Pt(1240), this)),
      optSkip_(new QRadioButton(Pt(1241), this)), optCopyAndDisable_(new QRadioButton(Pt(1242), this)),
      optCancel_(new QRadioButton(Pt(1243), this)), cmdConfirm_(new QPushButton(Pt(1245), this)) {
    setObjectName(QStringLiteral("frmSourceFileEarlier"));
    setWindowTitle(Pt(1244));
    setModal(true);
    lblIntro_->setObjectName(QStringLiteral("lblIntro"));
    lblIntro_->setTextFormat(Qt::PlainText);
    lblIntro_->setWordWrap(true);
    optCopyFile_->setObjectName(QStringLiteral("optCopyFile"));
    optSkip_->setObjectName(QStringLiteral("optSkip"));
    optCopyAndDisable_->setObjectName(QStringLiteral("optCopyAndDisable"));
    optCancel_->setObjectName(QStringLiteral("optCancel"));
    cmdConfirm_->setObjectName(QStringLiteral("cmdConfirm"));
    cmdConfirm_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblIntro_);
    layout->addSpacing(Px(120));
    for (QRadioButton* option : {optCopyFile_, optSkip_, optCopyAndDisable_, optCancel_}) {
        layout->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this] { cmdConfirm_->setFocus(); });
    }
    layout->addSpacing(Px(120));
    layout->addWidget(cmdConfirm_, 0, Qt::AlignHCenter);
    connect(cmdConfirm_, &QPushButton::clicked, this, &frmSourceFileEarlier::cmdConfirm_Click);
    SetFormFontName(this, QLatin1String(kFormFont));
    AssignMnemonics(this);
}

int frmSourceFileEarlier::Ask(QWidget* parent, QWidget* reportWindow, const QString& caption,
                              const QString& intro) {
    frmSourceFileEarlier window(parent);
    window.setWindowTitle(caption);
    window.lblIntro_->setText(intro);
    window.optCancel_->setChecked(true);
    if (reportWindow != nullptr && reportWindow->isVisible()) {
        // Over the report window's bottom, 300 twips above it, as wide as that window: its width
        // is held, so fitting the height to the text cannot shrink it back to the text's width.
        const QRect report = reportWindow->frameGeometry();
        window.setFixedWidth(reportWindow->width());
        window.adjustSize();
        const int top = report.top() + report.height() - window.frameGeometry().height() - Px(300);
        window.move(report.left(), top);
    }
    window.exec();
    return window.intChoice;
}

void frmSourceFileEarlier::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    intChoice = 0;
}

void frmSourceFileEarlier::cmdConfirm_Click() {
    if (optCopyFile_->isChecked())
        intChoice = 1;
    else if (optSkip_->isChecked())
        intChoice = 2;
    else if (optCopyAndDisable_->isChecked())
        intChoice = 3;
    else
        intChoice = 4;
    accept();
}

void frmSourceFileEarlier::closeEvent(QCloseEvent* event) {
    intChoice = 4;
    QDialog::closeEvent(event);
}

void frmSourceFileEarlier::reject() {
    // Esc and the frame's close box cancel the operation.
    intChoice = 4;
    QDialog::reject();
}

} // namespace kestrel::forms
