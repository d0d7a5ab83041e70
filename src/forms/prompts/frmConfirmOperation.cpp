#include "forms/prompts/frmConfirmOperation.h"

#include "forms/FormsCommon.h"
#include "modules/MessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel::forms {

frmConfirmOperation::frmConfirmOperation(QWidget* parent)
    : QDialog(parent), lblDescr_(new QLabel(this)), lblDeletionWarning_(new QLabel(Pt(1601), this)),
      lblPerformOperation_(new QLabel(Pt(135), this)),
      cmdYes_(new QPushButton(QLatin1Char('&') + Qs(AnswerCaption(MessageAnswer::Yes)), this)),
      cmdNo_(new QPushButton(QLatin1Char('&') + Qs(AnswerCaption(MessageAnswer::No)), this)) {
    setObjectName(QStringLiteral("frmConfirmOperation"));
    setWindowTitle(Pt(1602));
    setModal(true);
    lblDescr_->setObjectName(QStringLiteral("lblDescr"));
    lblDescr_->setTextFormat(Qt::PlainText);
    lblDescr_->setWordWrap(true);
    lblDeletionWarning_->setObjectName(QStringLiteral("lblDeletionWarning"));
    lblPerformOperation_->setObjectName(QStringLiteral("lblPerformOperation"));
    cmdYes_->setObjectName(QStringLiteral("cmdYes"));
    cmdNo_->setObjectName(QStringLiteral("cmdNo"));
    QFont bold = lblDeletionWarning_->font();
    bold.setBold(true);
    lblDeletionWarning_->setFont(bold);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdYes_);
    buttons->addSpacing(Px(300));
    buttons->addWidget(cmdNo_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDescr_);
    layout->addWidget(lblDeletionWarning_);
    layout->addSpacing(Px(120));
    layout->addWidget(lblPerformOperation_, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);

    connect(cmdYes_, &QPushButton::clicked, this, [this] {
        blnPerformOperation = true;
        accept();
    });
    connect(cmdNo_, &QPushButton::clicked, this, [this] {
        blnPerformOperation = false;
        QDialog::reject();
    });
    SetFormFontName(this, QLatin1String(kFormFont));
}

bool frmConfirmOperation::Ask(QWidget* parent, const ConfirmRequest& request, QPoint topLeft) {
    frmConfirmOperation window(parent);
    window.Form_Activate(request);
    window.move(topLeft);
    window.exec();
    return window.blnPerformOperation;
}

void frmConfirmOperation::Form_Activate(const ConfirmRequest& request) {
    if (!request.caption.empty())
        setWindowTitle(Qs(request.caption));
    lblDeletionWarning_->setVisible(request.deletionWarningVisible);
    if (request.deletionWarningVisible && !request.deletionWarning.empty())
        lblDeletionWarning_->setText(Qs(request.deletionWarning));
    // Wider for a deletion, so the warning has room.
    setFixedWidth(Px(request.deletionWarningVisible ? 9000 : 6500));
    lblDescr_->setText(DisplayText(request.description));
    lblPerformOperation_->setText(Qs(request.question));
    lblPerformOperation_->setVisible(!request.question.empty());

    QPushButton* defaultButton = request.defaultYes ? cmdYes_ : cmdNo_;
    cmdYes_->setDefault(request.defaultYes);
    cmdNo_->setDefault(!request.defaultYes);
    defaultButton->setFocus();
    blnPerformOperation = false;
}

void frmConfirmOperation::reject() {
    // Esc or the frame's close box: the operation does not run.
    blnPerformOperation = false;
    QDialog::reject();
}

} // namespace kestrel::forms
