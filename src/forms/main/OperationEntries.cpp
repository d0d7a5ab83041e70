#include "forms/main/OperationEntries.h"

#include "engine/DeleteAllBackupFiles.h"
#include "engine/FolderOperation.h"
#include "platform/CommandRunner.h"

#include <array>
#include <utility>

namespace kestrel::forms {

namespace {

platform::SystemCommandRunner systemRunner;

// The entries with `entry` in place of the one of `button`.
std::array<OperationEntry, 5> withEntry(std::array<OperationEntry, 5> entries, OperationButton button,
                                        OperationEntry entry) {
    entries[static_cast<std::size_t>(button)] = std::move(entry);
    return entries;
}

} // namespace

OperationEntry EngineEntry(OperationButton button, bool blnListsFiles) {
    if (OperationEntry entry = OperationEntriesSeam::current()[static_cast<std::size_t>(button)])
        return entry;
    switch (button) {
    case OperationButton::ListSubFolders:
        return [blnListsFiles](OperationContext& c) {
            return cmdListSubFolders_MouseUp(c.setup, c.state, c.ui, c.report, blnListsFiles);
        };
    case OperationButton::CheckBackupState:
        return
            [](OperationContext& c) { return cmdCheckBackupState_MouseUp(c.setup, c.state, c.ui, c.report); };
    case OperationButton::BackupAllFiles:
        return
            [](OperationContext& c) { return cmdBackupAllFiles_MouseUp(c.setup, c.state, c.ui, c.report); };
    case OperationButton::BackupModifiedFiles:
        return [](OperationContext& c) {
            return cmdBackupModifiedFiles_MouseUp(c.setup, c.state, c.ui, c.report);
        };
    case OperationButton::DeleteAllBackupFiles:
        return [](OperationContext& c) {
            const DeletionResult result = cmdDeleteAllBackupFiles_MouseUp(c);
            return result.outcome == DeletionOutcome::NotStarted ? -1 : 0;
        };
    }
    return {};
}

int OperationCodeOf(OperationButton button) {
    switch (button) {
    case OperationButton::ListSubFolders:
        return intOperationListFolders;
    case OperationButton::CheckBackupState:
        return intOperationCheckBackupState;
    case OperationButton::BackupAllFiles:
        return intOperationBackupAllFiles;
    case OperationButton::BackupModifiedFiles:
        return intOperationBackupModifiedFiles;
    case OperationButton::DeleteAllBackupFiles:
        return intOperationDeleteAllBackupFiles;
    }
    return 0;
}

ScopedOperationEntryForTesting::ScopedOperationEntryForTesting(OperationButton button, OperationEntry entry)
    : guard_(withEntry(OperationEntriesSeam::current(), button, std::move(entry))) {}

platform::CommandRunner& shutdownRunner() {
    platform::CommandRunner* const testRunner = ShutdownRunnerSeam::current();
    return testRunner ? *testRunner : systemRunner;
}

} // namespace kestrel::forms
