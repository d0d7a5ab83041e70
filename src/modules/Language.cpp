#include "modules/Language.h"

#include "platform/ErrorCodes.h"
#include "platform/ProgramPaths.h"
#include "platform/RegularFile.h"

#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace kestrel {

namespace {

using TextTable = std::unordered_map<int, std::string>;

// Result codes of the loader; each has its message in ProgramTextLoadMessage.
constexpr int kNoTextRead = 0;
constexpr int kCannotOpen = -1;
constexpr int kTooMuchText = -3;
constexpr int kTextNotRecovered = -4;
constexpr int kFileEmpty = -6;
constexpr int kReadError = -7;
constexpr int kMissingStringBase = 500;
constexpr int kStringTooLongBase = 1000;
constexpr int kDuplicateBase = 1500;
// The two ranges that name a line end at line 500: -1000 is "missing at line 500" and -1001
// already "too long at line 1"; a fault further down takes a code without a line.
constexpr int kLastNamedLine = 500;

constexpr int kMaxTextNumber = 32767; // text numbers are 16-bit
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;

std::shared_mutex tableMutex;
TextTable table;

void replaceTable(TextTable next) {
    std::unique_lock lock(tableMutex);
    table = std::move(next);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isBlankLine(std::string_view line) {
    for (char c : line)
        if (!isBlank(c))
            return false;
    return true;
}

// Counts the code points of well-formed UTF-8; -1 for anything else (overlong forms,
// surrogates and values beyond U+10FFFF included).
long utf8Length(std::string_view text) {
    long count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        std::uint32_t value;
        if (byte < 0x80) {
            extra = 0;
            value = byte;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            extra = 1;
            value = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            extra = 2;
            value = byte & 0x0F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            extra = 3;
            value = byte & 0x07;
        } else {
            return -1;
        }
        if (i + extra >= text.size())
            return -1; // cut off
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return -1;
            value = (value << 6) | (next & 0x3F);
        }
        if ((extra == 2 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (extra == 3 && (value < 0x10000 || value > 0x10FFFF)))
            return -1;
        i += extra + 1;
        ++count;
    }
    return count;
}

// "\n" is a line break and "\\" one backslash; any other backslash stays as written, so that
// texts holding paths (C:\, Software\Corvane Systems) need no doubling.
std::string decodeEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '\\')) {
            out += text[i + 1] == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int missingStringAt(int line) {
    return line <= kLastNamedLine ? -(kMissingStringBase + line) : kTextNotRecovered;
}

int stringTooLongAt(int line) {
    return line <= kLastNamedLine ? -(kStringTooLongBase + line) : kTooMuchText;
}

// Parses the whole file; the first fault ends it.
int parseProgramText(std::string_view content, TextTable& texts) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        content.remove_prefix(3);
    int line = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos)
            end = content.size();
        std::string_view text = content.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        if (isBlankLine(text) || text.front() == '#')
            continue;

        std::size_t digits = 0;
        long number = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            if (number <= kMaxTextNumber)
                number = number * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0)
            return kTextNotRecovered;
        if (number > kMaxTextNumber)
            return kTooMuchText;
        if (texts.count(static_cast<int>(number)))
            return -(kDuplicateBase + line);

        std::string_view rest = text.substr(digits);
        if (isBlankLine(rest))
            return missingStringAt(line); // the number alone
        if (rest.front() != '=')
            return kTextNotRecovered;
        rest.remove_prefix(1);
        if (isBlankLine(rest))
            return missingStringAt(line);
        if (utf8Length(rest) < 0)
            return kTextNotRecovered;
        std::string decoded = decodeEscapes(rest);
        if (utf8Length(decoded) > kMaxProgramTextLength)
            return stringTooLongAt(line);
        texts.emplace(static_cast<int>(number), std::move(decoded));
    }
    return texts.empty() ? kNoTextRead : static_cast<int>(texts.size());
}

int readWholeFile(const std::string& path, std::string& content) {
    // A folder, a FIFO or a device given as the file is a read error at once, never waited on.
    platform::Result<platform::RegularFile> file =
        platform::openRegularFile(path, platform::FileOpening::Read);
    if (!file.ok())
        return file.error().number == platform::err::PathFileAccess ? kReadError : kCannotOpen;
    char buffer[65536];
    for (;;) {
        const platform::Result<std::int64_t> n = file.value().read(buffer, sizeof buffer);
        if (!n.ok())
            return kReadError;
        if (n.value() == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n.value()));
        if (content.size() > kMaxFileBytes)
            return kTooMuchText;
    }
    return content.empty() ? kFileEmpty : 1;
}

} // namespace

int LoadProgramText(const std::string& fileName) {
    return LoadProgramTextFromPath(platform::programFolder() + fileName);
}

namespace {

// An error number's description is program text 2000 + the number; 1999 for a number without
// a text of its own.
std::string ErrorTextOf(int number) {
    std::string text = number > 0 && number <= kMaxTextNumber - 2000 ? GetProgramText(2000 + number) : "";
    return text.empty() ? GetProgramText(1999) : text;
}

} // namespace

int LoadProgramTextFromPath(const std::string& fullPath) {
    std::string content;
    TextTable texts;
    int result = readWholeFile(fullPath, content);
    if (result > 0)
        result = parseProgramText(content, texts);
    if (result <= 0)
        texts.clear();
    replaceTable(std::move(texts));
    platform::setErrorTextSource(&ErrorTextOf);
    return result;
}

std::string ProgramTextLoadMessage(int result, const std::string& fullPath) {
    long long r = result;
    auto lineOf = [r](long long base) { return std::to_string(-(r + base)) + "."; };
    if (r > 0)
        return "";
    switch (result) {
    case 0:
        return "No program text was read.";
    case -1:
        return "Cannot open file containing program text.\n" + fullPath;
    case -2:
        return "Particular memory allocation error.";
    case -3:
        return "Too much program text.";
    case -4:
        return "Text not recovered.";
    case -6:
        return "File is empty.";
    case -7:
        return "Error reading file.";
    case -8:
        return "General memory allocation error.";
    default:
        break;
    }
    if (r < -1500)
        return "Duplicate in program text at line " + lineOf(1500);
    if (r <= -1001)
        return "String too long at line " + lineOf(1000);
    if (r <= -501)
        return "Missing string at line " + lineOf(500);
    return "Error " + std::to_string(r);
}

std::string GetProgramText(int n) {
    std::shared_lock lock(tableMutex);
    auto found = table.find(n);
    if (found == table.end() || found->second == "~")
        return "";
    return found->second;
}

} // namespace kestrel
