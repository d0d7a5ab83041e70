#include "cli/commands/Command.h"
#include "cli/commands/SetupOptions.h"
#include "engine/MultipleBackup.h"
#include "engine/TargetGuard.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "platform/ProgramPaths.h"
#include "platform/SettingsStore.h"
#include "setup/SetupsFolder.h"

#include <ostream>

namespace kestrel::cli {

namespace {

void showSetupsFolder(const std::string& folder, std::ostream& out) {
    int count = 0;
    out << GetProgramText(1428) << ": " << (folder.empty() ? GetProgramText(1429) : folder) << "\n"
        << DisplayNumFilesInSetupsFolder(folder, count) << "\n";
}

// setups-folder [DIR | --clear]: shows the setups folder the desktop program and `multiple`
// without arguments use, or chooses it, under the rules of the desktop program's folder button.
class SetupsFolderCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1 || (options.clear && !options.setupFiles.empty()))
            return Refuse(err, "setups-folder takes one folder or --clear");
        if (options.setupFiles.empty() && !options.clear) {
            showSetupsFolder(RestoreSetupsFolder(), out);
            return ExitOk;
        }
        std::string folder;
        if (!options.clear) {
            folder = folderValueOf(options.setupFiles.front(), platform::workingFolder());
            if (!FolderExists(folder))
                return Refuse(err, GetProgramText(1438) + " " + folder);
            if (IsInsideRecycleBin(folder))
                return Refuse(err, FolderPairMessage(FolderPairRule::RecycleBin, ""));
        }
        if (!SaveSetupsFolder(folder) || RestoreSetupsFolder() != folder)
            return Conclude(err, ExitWithErrors, GetProgramText(1439) + " " + platform::settingsFile());
        showSetupsFolder(folder, out);
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeSetupsFolderCommand() {
    return std::make_unique<SetupsFolderCommand>();
}

} // namespace kestrel::cli
