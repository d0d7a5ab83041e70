#pragma once

#include "engine/OperationContext.h"

#include <functional>

namespace kestrel::platform {
class CommandRunner;
}

// Where the main window's operation buttons reach the engine. Each entry runs on the worker
// thread with the window's setup, shared state, interaction and report model, and returns the
// engine's result code. Tests may put their own entry in place of the engine's.
namespace kestrel::forms {

enum class OperationButton {
    ListSubFolders,
    CheckBackupState,
    BackupAllFiles,
    BackupModifiedFiles,
    DeleteAllBackupFiles,
};

// `blnListsFiles`: the list button shows its file-listing caption.
using OperationEntry = std::function<int(OperationContext& context)>;
OperationEntry EngineEntry(OperationButton button, bool blnListsFiles);

// The operation code an entry runs under (intOperation), for the report window's buttons.
int OperationCodeOf(OperationButton button);

// Replaces the engine's entry of a button; an empty entry gives the engine's back.
void setOperationEntryForTesting(OperationButton button, OperationEntry entry);

// The runner of the system's shutdown command after an unattended run with "shutdown" in its
// command line; tests give one that only records.
platform::CommandRunner& shutdownRunner();
void setShutdownRunnerForTesting(platform::CommandRunner* runner);

} // namespace kestrel::forms
