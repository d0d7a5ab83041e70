#pragma once

#include "engine/Restore.h"
#include "engine/VersionsRuns.h"
#include "setup/Setup.h"

#include <QDialog>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrel::forms {

// What to restore of the setup's backup and where to: the folder (the source unless another is
// chosen), the whole backup, one included subfolder or the earlier versions one run kept, whether
// newer files are replaced; then a check first, or the restore.
class frmRestore : public QDialog {
    Q_OBJECT
public:
    frmRestore(QWidget* parent, const Setup& setup);

    // Shows the window modally; the restore asked for, or none when it was closed.
    static std::optional<RestoreRequest> Ask(QWidget* parent, const Setup& setup);

private:
    void cmdBrowse_Click();
    void Finish(bool check);

    const Setup& setup_;
    QLineEdit* txbRestoreTo_;
    QPushButton* cmdBrowse_;
    QRadioButton* optWholeBackup_;
    QRadioButton* optSubfolder_;
    QComboBox* cboSubfolder_;
    QRadioButton* optVersionsRun_;
    QComboBox* cboVersionsRun_;
    QLabel* lblVersionsRun_;
    std::vector<VersionsRun> runs_;
    QCheckBox* chkOverwriteNewer_;
    QPushButton* cmdCheck_;
    QPushButton* cmdRestoreStart_;
    QPushButton* cmdCancel_;
    std::optional<RestoreRequest> request_;
};

} // namespace kestrel::forms
