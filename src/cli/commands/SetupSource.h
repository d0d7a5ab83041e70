#pragma once

#include "cli/commands/CliOptions.h"
#include "setup/Setup.h"
#include "setup/SetupFile.h"

#include <iosfwd>

namespace kestrel::cli {

// A terminal has nobody to ask: the missing folders of a setup file are told and the setup
// loads as it is.
class TerminalLoadMessages : public SetupLoadMessages {
public:
    explicit TerminalLoadMessages(std::ostream& err) : err_(err) {}
    void SourceFolderMissing(const std::string& text) override;
    void TargetFolderNotFound(const std::string& text, Setup&) override;

private:
    std::ostream& err_;
};

// The setup a command starts from: the setup file named on the command line, else a cleared
// setup when the command line has setup options, else the last-run setup; then the command
// line's options over it (a --source as a new source folder). Problems with the file's folders
// are told on `err`. False (with the reason on `err`) when the setup cannot be loaded.
bool loadCommandSetup(const CliOptions& options, Setup& setup, std::ostream& err);

} // namespace kestrel::cli
