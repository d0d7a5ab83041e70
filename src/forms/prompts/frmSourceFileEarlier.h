#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace kestrel::forms {

// Asks what to do with a source file that is older, or much smaller, than its backup copy.
// Cancel is preselected, so Confirm at once cancels; closing the window cancels too.
class frmSourceFileEarlier : public QDialog {
    Q_OBJECT
public:
    explicit frmSourceFileEarlier(QWidget* parent = nullptr);

    // The answer: 1 copy, 2 skip, 3 copy and no more warnings in this folder, 4 cancel.
    int intChoice = 0;

    // Shows the window modally, placed over the bottom of `reportWindow`, and returns the answer.
    static int Ask(QWidget* parent, QWidget* reportWindow, const QString& caption, const QString& intro);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void cmdConfirm_Click();

    QLabel* lblIntro_;
    QRadioButton* optCopyFile_;
    QRadioButton* optSkip_;
    QRadioButton* optCopyAndDisable_;
    QRadioButton* optCancel_;
    QPushButton* cmdConfirm_;
};

} // namespace kestrel::forms
