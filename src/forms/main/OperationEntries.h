#pragma once

#include "engine/OperationContext.h"
#include "platform/TestSeam.h"

#include <array>
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

// Test seam: while a guard lives, its entry takes the place of the engine's for its button.
using OperationEntriesSeam = platform::TestSeam<struct OperationEntriesTag, std::array<OperationEntry, 5>>;
class ScopedOperationEntryForTesting {
public:
    ScopedOperationEntryForTesting(OperationButton button, OperationEntry entry);

private:
    OperationEntriesSeam::Guard guard_;
};

// The runner of the system's shutdown command after an unattended run with "shutdown" in its
// command line; while a guard lives, a test's runner that only records.
platform::CommandRunner& shutdownRunner();
using ShutdownRunnerSeam = platform::TestSeam<struct ShutdownRunnerTag, platform::CommandRunner*>;
using ScopedShutdownRunnerForTesting = ShutdownRunnerSeam::Guard;

} // namespace kestrel::forms
