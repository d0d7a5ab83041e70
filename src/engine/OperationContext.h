#pragma once

#include "modules/Language.h"
#include "report/Interaction.h"
#include "report/OperationState.h"
#include "report/ReportModel.h"
#include "setup/Setup.h"

#include <string>

namespace kestrel {

// What every operation works with: the main window's setup and shared state, the user, and the
// report. One context lasts for one operation.
struct OperationContext {
    Setup& setup;
    OperationState& state;
    Interaction& ui;
    ReportModel& report;

    // An unattended run never shows a message box or a prompt.
    bool Unattended() const { return state.blnScheduledTask; }
};

// The captions of the operation buttons, which also title their messages and the report window.
inline std::string CaptionBackupAllFiles() {
    return GetProgramText(1504);
}
inline std::string CaptionBackupModifiedFiles() {
    return GetProgramText(1505);
}
inline std::string CaptionCheckBackupState() {
    return GetProgramText(1503);
}
inline std::string CaptionDeleteAllBackupFiles() {
    return GetProgramText(1506);
}

} // namespace kestrel
