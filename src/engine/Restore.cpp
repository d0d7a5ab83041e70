#include "engine/Restore.h"

#include "engine/VersionsFolder.h"
#include "engine/VersionsRuns.h"
#include "modules/Language.h"
#include "platform/FileSystem.h"
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

// Every folder directly in the backup, its versions folder left out: a folder the source has lost
// since (the very case a restore is for) is no longer among the setup's included subfolders, as
// those are kept only while the source holds them.
std::vector<std::string> FoldersOfBackup(const std::string& backup) {
    std::vector<std::string> folders;
    const platform::Result<std::vector<platform::DirectoryEntry>> entries = platform::readDirectory(backup);
    if (!entries.ok())
        return folders;
    for (const platform::DirectoryEntry& entry : entries.value()) {
        if (entry.kind == platform::EntryKind::Directory && !IsVersionsFolderName(entry.name))
            folders.push_back(entry.name);
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The runs a restore of earlier versions can name, for the one who named none of them.
std::string RunsOfBackupText(const Setup& setup) {
    const std::vector<VersionsRun> runs = VersionsRunsOf(setup.txbDirectory[1]);
    if (runs.empty())
        return GetProgramText(1927);
    std::string text = GetProgramText(1945);
    for (std::size_t i = 0; i < runs.size(); ++i)
        text += (i == 0 ? " " : ", ") + runs[i].name;
    return text + ".";
}

} // namespace

// The run folder of the backup's versions folder that a restore of earlier copies reads.
std::string VersionsRunFolder(const Setup& setup, const std::string& run) {
    return platform::withFinalSeparator(
        platform::joinPath(platform::joinPath(setup.txbDirectory[1], kVersionsFolderName), run));
}

std::string RestoreTitle(bool check) {
    return GetProgramText(check ? 1912 : 1911);
}

Setup RestoreSetupOf(const Setup& setup, const RestoreRequest& request) {
    Setup restore = setup;
    restore.txbDirectory[0] =
        request.versionsRun.empty() ? setup.txbDirectory[1] : VersionsRunFolder(setup, request.versionsRun);
    restore.txbDirectory[1] = request.destination.empty() ? setup.txbDirectory[0]
                                                          : platform::withFinalSeparator(request.destination);
    if (!request.subfolder.empty()) {
        restore.cboIncludedFolders = {request.subfolder};
        restore.intNumIncludedFolders = 1;
        restore.cboIncludedFoldersListIndex = 0;
        restore.chkExcludeFilesInSourceFolder = 1;
    } else {
        // All of the backup, below each of its folders.
        restore.cboIncludedFolders = FoldersOfBackup(restore.txbDirectory[0]);
        restore.intNumIncludedFolders = static_cast<int>(restore.cboIncludedFolders.size());
        restore.cboIncludedFoldersListIndex = restore.cboIncludedFolders.empty() ? -1 : 0;
        restore.chkIncludeSubfolders = 1;
    }
    // What the destination holds beyond the backup is the user's newest work: a restore never
    // removes it, and keeps no versions folder in it.
    restore.extra.bRemoveDeleted = false;
    restore.extra.lngMaxRemove = 0;
    restore.extra.intKeepVersionsDays = 0;
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
    } else if (!request.versionsRun.empty() && !setup.txbDirectory[1].empty() &&
               !(platform::isSafeFolderName(request.versionsRun) &&
                 platform::statPath(platform::joinPath(setup.txbDirectory[1], kVersionsFolderName), false)
                     .isDirectory() &&
                 platform::statPath(
                     platform::joinPath(platform::joinPath(setup.txbDirectory[1], kVersionsFolderName),
                                        request.versionsRun),
                     false)
                     .isDirectory())) {
        // Only a real folder directly in the versions folder: a path or a link could lead the
        // walk out of the backup (read without a final separator, which would follow a link).
        resultText = request.versionsRun + " " + GetProgramText(1925) + " " + RunsOfBackupText(setup);
        code = intResultNoSuchVersionsRun;
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
