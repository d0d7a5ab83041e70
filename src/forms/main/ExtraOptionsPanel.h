#pragma once

#include "setup/Setup.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace kestrel::forms {

// The main window's options beyond the plain mirror: remove what is gone from the source (with
// the most a run removes), keep earlier versions for some days, copy links as links, keep
// attributes. Each control writes the setup as the user changes it.
class ExtraOptionsPanel : public QWidget {
    Q_OBJECT
public:
    explicit ExtraOptionsPanel(Setup& setup, QWidget* parent = nullptr);

    // Shows the setup's values (without writing them back).
    void ShowSetup();

private:
    void EnableLimit();

    Setup& setup_;
    QCheckBox* chkRemoveDeleted_ = nullptr;
    QSpinBox* spnMaxRemove_ = nullptr;
    QSpinBox* spnKeepVersionsDays_ = nullptr;
    QCheckBox* chkCopyLinksAsLinks_ = nullptr;
    QCheckBox* chkKeepAttributes_ = nullptr;
};

} // namespace kestrel::forms
