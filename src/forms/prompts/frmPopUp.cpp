#include "forms/prompts/frmPopUp.h"

#include "forms/FormsCommon.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>

namespace kestrel::forms {

frmPopUp::frmPopUp(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      lblMessage_(new QLabel(this)), Timer1_(new QTimer(this)) {
    setObjectName(QStringLiteral("frmPopUp"));
    setModal(true);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblMessage_->setAlignment(Qt::AlignCenter);
    lblMessage_->setWordWrap(true);
    lblMessage_->setFrameShape(QFrame::Box);
    lblMessage_->installEventFilter(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setSingleShot(true);
    connect(Timer1_, &QTimer::timeout, this, [this] { Close(false); });
    SetFormFontName(this, QLatin1String(kFormFont));
}

bool frmPopUp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblMessage_ && event->type() == QEvent::MouseButtonRelease) {
        Close(true);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmPopUp::Close(bool byUser) {
    Timer1_->stop();
    blnClicked_ = byUser;
    accept();
}

bool frmPopUp::Run(const QString& strMessage, int intWidth, int intHeight, int intInterval, int intTop,
                   int intLeft, int labelWidth) {
    lblMessage_->setText(strMessage);
    setFixedSize(std::max(1, Px(intWidth)), std::max(1, Px(intHeight)));
    lblMessage_->setGeometry(0, 0, std::max(1, Px(labelWidth)), std::max(1, Px(intHeight)));
    move(Px(intLeft), Px(intTop));
    Timer1_->start(std::clamp(intInterval, 1, 65535));
    blnClicked_ = false;
    exec();
    return blnClicked_;
}

bool PopUp(const QString& strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft) {
    frmPopUp window;
    return window.Run(strMessage, intWidth, intHeight, intInterval, intTop, intLeft, intWidth);
}

bool PopUpInForm(QWidget* frmMe, const QString& strMessage, int intWidth, int intHeight, int intInterval,
                 int intTop, int intLeft) {
    frmPopUp window(frmMe);
    const QRect frame = frmMe != nullptr ? frmMe->frameGeometry() : QRect();
    return window.Run(strMessage, intWidth, intHeight, intInterval, Twips(frame.top()) + intTop,
                      Twips(frame.left()) + intLeft, intWidth);
}

} // namespace kestrel::forms
