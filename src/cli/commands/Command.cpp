#include "cli/commands/Command.h"

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
