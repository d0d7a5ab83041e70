#include "engine/Restore.h"
#include "forms/main/frmMain.h"
#include "forms/main/frmRestore.h"

namespace kestrel::forms {

void frmMain::cmdRestore_Click() {
    if (blnDialogJustClosed_ || operationRunning())
        return;
    const std::optional<RestoreRequest> request = frmRestore::Ask(this, setup_);
    if (!request)
        return;
    // The report window shows a restore as the backup or check it runs as.
    const RestoreRequest asked = *request;
    StartOperation(asked.check ? OperationButton::CheckBackupState : OperationButton::BackupModifiedFiles,
                   [asked](OperationContext& context) {
                       return RunRestore(context.setup, context.state, context.ui, context.report, asked);
                   });
}

} // namespace kestrel::forms
