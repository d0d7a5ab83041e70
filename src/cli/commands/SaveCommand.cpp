#include "cli/commands/Command.h"
#include "cli/commands/SetupOptions.h"
#include "engine/TargetGuard.h"
#include "modules/Language.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// Writes the setup that the options describe, from a cleared setup: into the named setup file,
// or without one into the last-run file that the next unattended run uses.
class SaveCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1)
            return Refuse(err, "save takes at most one setup file");
        Setup setup;
        ClearSetup(setup);
        std::string error;
        if (!applySetupOptions(options, setup, error))
            return Refuse(err, error);
        // A setup whose folders break the rules could never run; it is not saved either.
        if (const FolderPairRule rule = CheckFolderPair(setup.txbDirectory[0], setup.txbDirectory[1]);
            rule != FolderPairRule::Accepted)
            return Refuse(err, FolderPairMessage(rule, setup.txbDirectory[0]));
        std::string path = options.setupFiles.empty() ? LastRunFile() : options.setupFiles.front();
        if (path.empty())
            return Conclude(err, ExitWithErrors, GetProgramText(116));
        if (!SaveSetupFile(setup, path))
            return Conclude(err, ExitWithErrors, GetProgramText(121) + " " + path + ".");
        out << GetProgramText(1427) << " " << path << "\n";
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeSaveCommand() {
    return std::make_unique<SaveCommand>();
}

} // namespace kestrel::cli
