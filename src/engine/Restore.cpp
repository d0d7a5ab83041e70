#include "engine/Restore.h"

#include "modules/Language.h"
#include "platform/Path.h"
#include "report/ReportModel.h"

#include <algorithm>

namespace kestrel {

namespace {

bool IsIncludedSubfolder(const Setup& setup, const std::string& subfolder) {
    const std::size_t count = std::min(static_cast<std::size_t>(std::max(setup.intNumIncludedFolders, 0)),
                                       setup.cboIncludedFolders.size());
    return std::find(setup.cboIncludedFolders.begin(),
                     setup.cboIncludedFolders.begin() + static_cast<std::ptrdiff_t>(count),
                     subfolder) != setup.cboIncludedFolders.begin() + static_cast<std::ptrdiff_t>(count);
}

} // namespace

std::string RestoreTitle(bool check) {
    return GetProgramText(check ? 1912 : 1911);
}

Setup RestoreSetupOf(const Setup& setup, const RestoreRequest& request) {
    Setup restore = setup;
    restore.txbDirectory[0] = setup.txbDirectory[1];
    restore.txbDirectory[1] = request.destination.empty() ? setup.txbDirectory[0]
                                                          : platform::withFinalSeparator(request.destination);
    if (!request.subfolder.empty()) {
        restore.cboIncludedFolders = {request.subfolder};
        restore.intNumIncludedFolders = 1;
        restore.cboIncludedFoldersListIndex = 0;
        restore.chkExcludeFilesInSourceFolder = 1;
    }
    // Everything the backup holds comes back, whatever its date; a newer file of the destination
    // is left alone by the restore's own rule, not asked about.
    restore.cboModifiedSince = 0;
    restore.chkWarnIfEarlier = 0;
    return restore;
}

int RunRestore(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
               const RestoreRequest& request, std::string* strResultText) {
    std::string resultText;
    int code = intResultDone;
    if (!request.subfolder.empty() && !IsIncludedSubfolder(setup, request.subfolder)) {
        resultText = request.subfolder + " " + GetProgramText(1923);
        code = intResultNotIncludedSubfolder;
    } else if (setup.txbDirectory[1].empty() ||
               (request.destination.empty() && setup.txbDirectory[0].empty())) {
        OperationContext original{setup, state, ui, report};
        ShowFoldersNotSpecified(original, RestoreTitle(request.check), resultText);
        code = setup.txbDirectory[0].empty() ? intResultSourceNotSpecified : intResultTargetNotSpecified;
    } else {
        Setup restore = RestoreSetupOf(setup, request);
        OperationContext context{restore, state, ui, report};
        state.restore = {true, request.overwriteNewer};
        state.intOperation = request.check ? intOperationCheckBackupState : intOperationBackupModifiedFiles;
        FolderOperationOptions options;
        code = RunFolderOperation(context, options, resultText);
        state.restore = {};
        // The report keeps the setup it shows, not the restore's, which ends here.
        report.setSetup(setup);
    }
    if (strResultText != nullptr)
        *strResultText = resultText;
    return code;
}

} // namespace kestrel
