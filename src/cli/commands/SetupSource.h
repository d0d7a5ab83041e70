#pragma once

#include "cli/commands/CliOptions.h"
#include "cli/commands/ProgressLine.h"
#include "setup/Setup.h"
#include "setup/SetupFile.h"

#include <iosfwd>

namespace kestrel::cli {

// A terminal has nobody to ask: the missing folders of a setup file are told and the setup
// loads as it is.
class TerminalLoadMessages : public SetupLoadMessages {
public:
    explicit TerminalLoadMessages(std::ostream& err, ProgressLine* progress = nullptr)
        : err_(err), progress_(progress) {}
    void SourceFolderMissing(const std::string& text) override;
    void TargetFolderNotFound(const std::string& text, Setup&) override;

private:
    void Tell(const std::string& text);
    std::ostream& err_;
    ProgressLine* progress_; // taken off the screen while a message is written
};

// The setup a command starts from: the setup file named on the command line, else a cleared
// setup when the command line has setup options, else the last-run setup; then the command
// line's options over it (a --source as a new source folder). Problems with the file's folders
// are told on `err`. False, with the reason in `refusal`, when the setup cannot be loaded: a
// setup file or a last-run file that does not load, no last-run setup at all, or a bad option.
bool loadCommandSetup(const CliOptions& options, Setup& setup, std::ostream& err, std::string& refusal);

} // namespace kestrel::cli
