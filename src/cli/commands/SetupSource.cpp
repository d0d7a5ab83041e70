#include "cli/commands/SetupSource.h"

#include "cli/commands/SetupOptions.h"
#include "modules/Language.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <ostream>

namespace kestrel::cli {

void TerminalLoadMessages::Tell(const std::string& text) {
    if (progress_)
        progress_->Hide();
    err_ << text << "\n";
    if (progress_)
        progress_->Show();
}

void TerminalLoadMessages::SourceFolderMissing(const std::string& text) {
    Tell(text);
}

void TerminalLoadMessages::TargetFolderNotFound(const std::string& text, Setup&) {
    Tell(text);
}

bool loadCommandSetup(const CliOptions& options, Setup& setup, std::ostream& err, std::string& refusal) {
    TerminalLoadMessages messages(err);
    SetupLoadContext context;
    context.blnStartupCompleted = true;
    context.messages = &messages;
    ClearSetup(setup);
    setup.cboIncludedFolders.clear();
    if (!options.setupFiles.empty()) {
        const std::string& file = options.setupFiles.front();
        int result = LoadOperationFile(setup, file, context);
        if (result != 0) {
            refusal = GetProgramText(115) + " " + file + " (" + SetupLoadFailureText(result) + ")";
            return false;
        }
    } else if (!options.HasSetupOptions()) {
        // Running or showing an empty setup instead would hide that there is nothing to run.
        int result = 0;
        LoadSetupFromLastRun(setup, context, &result);
        refusal = LastRunLoadFailure(result);
        if (!refusal.empty())
            return false;
    }
    // A new source is a new selection, as choosing a source folder in the window makes it: the
    // subfolders and the choice about the source's own files belonged to the old one.
    if (options.source) {
        setup.cboIncludedFolders.clear();
        setup.intNumIncludedFolders = 0;
        setup.cboIncludedFoldersListIndex = -1;
        setup.chkExcludeFilesInSourceFolder = 0;
    }
    std::string error;
    if (!applySetupOptions(options, setup, error)) {
        refusal = error;
        return false;
    }
    return true;
}

} // namespace kestrel::cli
