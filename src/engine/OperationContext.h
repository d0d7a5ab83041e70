#pragma once

#include "report/Interaction.h"
#include "report/OperationState.h"
#include "report/ReportModel.h"
#include "setup/Setup.h"

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
inline constexpr const char* kCaptionBackupAllFiles = "Back up all files in setup";
inline constexpr const char* kCaptionBackupModifiedFiles = "Back up new and modified";
inline constexpr const char* kCaptionCheckBackupState = "Check backup state";
inline constexpr const char* kCaptionDeleteAllBackupFiles = "Delete/wipe target files";

} // namespace kestrel
