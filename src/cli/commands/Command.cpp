#include "cli/commands/Command.h"

#include "modules/Language.h"

#include <ostream>

namespace kestrel::cli {

namespace {

// Texts of the engine and of the program-text file end their lines with CR LF; a terminal and a
// mail take plain line ends.
std::string plainLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace

std::string OperationWord(const std::string& command) {
    static const std::pair<const char*, int> words[] = {{"backup", 1400},   {"check", 1401},
                                                        {"list", 1402},     {"delete", 1403},
                                                        {"multiple", 1404}, {"restore", 1924}};
    for (const auto& [name, text] : words)
        if (command == name)
            return GetProgramText(text);
    return command;
}

std::string NotStartedAccount(const std::string& command, const std::string& message) {
    const std::string account = OperationWord(command) + " " + GetProgramText(1277);
    return message.empty() ? account : account + ": " + message;
}

int Command::Refuse(std::ostream& err, const std::string& reason) {
    return Conclude(err, ExitRefused, reason);
}

int Command::Conclude(std::ostream& err, int status, const std::string& account) {
    account_ = plainLineEnds(account);
    err << kProgramPrefix << account_ << "\n";
    err.flush();
    return status;
}

} // namespace kestrel::cli
