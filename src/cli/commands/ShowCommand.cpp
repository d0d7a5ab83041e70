#include "cli/commands/Command.h"
#include "cli/commands/SetupSource.h"
#include "cli/commands/SetupText.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// Prints a setup readably, one field a line, in the order of the setup file.
class ShowCommand : public Command {
public:
    int run(const CliOptions& options, std::ostream& out, std::ostream& err) override {
        if (options.setupFiles.size() > 1)
            return Refuse(err, "show takes at most one setup file");
        Setup setup;
        std::string refusal;
        if (!loadCommandSetup(options, setup, err, refusal))
            return Refuse(err, refusal);
        out << SetupText(setup);
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeShowCommand() {
    return std::make_unique<ShowCommand>();
}

} // namespace kestrel::cli
