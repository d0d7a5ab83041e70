#include "cli/commands/SetupSource.h"

#include "cli/commands/SetupOptions.h"
#include "platform/ErrorCodes.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <ostream>

namespace kestrel::cli {

namespace {

std::string loadFailureText(int result) {
    if (result > 0)
        return platform::errorDescription(result) + " (error " + std::to_string(result) + ")";
    return "error " + std::to_string(result);
}

} // namespace

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

bool loadCommandSetup(const CliOptions& options, Setup& setup, std::ostream& err) {
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
            err << "Cannot load the setup file " << file << ": " << loadFailureText(result) << "\n";
            return false;
        }
    } else if (!options.HasSetupOptions()) {
        LoadSetupFromLastRun(setup, context);
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
        err << error << "\n";
        return false;
    }
    return true;
}

} // namespace kestrel::cli
