#include "cli/commands/SetupSource.h"

#include "cli/commands/SetupOptions.h"
#include "platform/ErrorCodes.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// A terminal has nobody to ask: the missing folders are told and the setup loads as it is.
class TerminalLoadMessages : public SetupLoadMessages {
public:
    explicit TerminalLoadMessages(std::ostream& err) : err_(err) {}
    void SourceFolderMissing(const std::string& text) override { err_ << text << "\n"; }
    void TargetFolderNotFound(const std::string& text, Setup&) override { err_ << text << "\n"; }

private:
    std::ostream& err_;
};

std::string loadFailureText(int result) {
    if (result > 0)
        return platform::errorDescription(result) + " (error " + std::to_string(result) + ")";
    return "error " + std::to_string(result);
}

} // namespace

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
    } else {
        LoadSetupFromLastRun(setup, context);
    }
    std::string error;
    if (!applySetupOptions(options, setup, error)) {
        err << error << "\n";
        return false;
    }
    return true;
}

} // namespace kestrel::cli
