#include "forms/main/OperationEntries.h"

#include "engine/DeleteAllBackupFiles.h"
#include "engine/FolderOperation.h"
#include "platform/CommandRunner.h"

#include <array>
#include <mutex>

namespace kestrel::forms {

namespace {

std::mutex entriesMutex;
std::array<OperationEntry, 5> testEntries;

platform::SystemCommandRunner systemRunner;
platform::CommandRunner* currentRunner = &systemRunner;

} // namespace

OperationEntry EngineEntry(OperationButton button, bool blnListsFiles) {
    {
        std::lock_guard<std::mutex> lock(entriesMutex);
        if (const OperationEntry& entry = testEntries[static_cast<std::size_t>(button)])
            return entry;
    }
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

void setOperationEntryForTesting(OperationButton button, OperationEntry entry) {
    std::lock_guard<std::mutex> lock(entriesMutex);
    testEntries[static_cast<std::size_t>(button)] = std::move(entry);
}

platform::CommandRunner& shutdownRunner() {
    return *currentRunner;
}

void setShutdownRunnerForTesting(platform::CommandRunner* runner) {
    currentRunner = runner != nullptr ? runner : &systemRunner;
}

} // namespace kestrel::forms
