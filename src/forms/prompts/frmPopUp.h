#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace kestrel::forms {

// A short message in a small window without a frame, shown for a fixed time or until the user
// releases a mouse button over it. Modal: the caller waits until it closes.
class frmPopUp : public QDialog {
    Q_OBJECT
public:
    explicit frmPopUp(QWidget* parent = nullptr);

    QLabel* lblMessage() const { return lblMessage_; }

    // Shows the message (sizes and positions in twips, the position on the screen) and returns
    // when the window closes: true when the user clicked it, false when its time ran out.
    bool Run(const QString& strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft,
             int labelWidth);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Close(bool byUser);
    bool blnClicked_ = false;

    QLabel* lblMessage_;
    QTimer* Timer1_;
};

// Shows `strMessage` in a window intWidth by intHeight twips with its top-left corner at the
// screen position intTop, intLeft (twips), for intInterval milliseconds (1 to 65535). True when
// the user closed it with a click.
bool PopUp(const QString& strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft);
// The same, with intTop and intLeft measured from the top-left corner of `frmMe`.
bool PopUpInForm(QWidget* frmMe, const QString& strMessage, int intWidth, int intHeight, int intInterval,
                 int intTop, int intLeft);

} // namespace kestrel::forms
