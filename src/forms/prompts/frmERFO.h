#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace kestrel::forms {

// Asks what to do with a report file that already exists: 1 overwrite, 2 append, 3 no report
// file, 4 cancel the operation (also when the window is closed).
class frmERFO : public QDialog {
    Q_OBJECT
public:
    explicit frmERFO(QWidget* parent = nullptr);

    int intChoice = 0;

    // Shows the window modally near `reportFileBox` and returns the answer.
    static int Ask(QWidget* parent, QWidget* reportFileBox);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void cmdConfirm_Click();

    QLabel* lblIntro_;
    QRadioButton* optOverwrite_;
    QRadioButton* optAppend_;
    QRadioButton* optDisableReport_;
    QRadioButton* optCancel_;
    QPushButton* cmdConfirm_;
};

} // namespace kestrel::forms
