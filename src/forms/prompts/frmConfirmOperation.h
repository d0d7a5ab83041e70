#pragma once

#include "report/Interaction.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kestrel::forms {

// The last question before an operation changes files: the description of what is about to
// happen, the deletion warning, and Yes or No. Enter answers No for a deletion.
class frmConfirmOperation : public QDialog {
    Q_OBJECT
public:
    explicit frmConfirmOperation(QWidget* parent = nullptr);

    // True when the user answered Yes.
    bool blnPerformOperation = false;

    // Shows the window modally at `topLeft` (screen pixels) and returns the answer.
    static bool Ask(QWidget* parent, const ConfirmRequest& request, QPoint topLeft);

protected:
    void reject() override;

private:
    void Form_Activate(const ConfirmRequest& request);

    QLabel* lblDescr_;
    QLabel* lblDeletionWarning_;
    QLabel* lblPerformOperation_;
    QPushButton* cmdYes_;
    QPushButton* cmdNo_;
};

} // namespace kestrel::forms
