#include "setup/SetupFile.h"

#include "setup/ExtraOptionsLines.h"

#include "modules/Folder.h"
#include "modules/Language.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kestrel {

namespace {

constexpr const char* lineEnd = "\r\n";
constexpr int maxCount = std::numeric_limits<std::int16_t>::max();

std::string numberLine(int value) {
    // A blank stands where a minus sign would, and one follows, so that 1 reads " 1 ".
    return (value < 0 ? "" : " ") + std::to_string(value) + " ";
}

// A text that breaks a line would put every later line out of step.
bool fitsOnOneLine(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

int savedEntryCount(const Setup& setup) {
    // A cleared setup keeps its list entries but counts none of them.
    return std::clamp(setup.intNumIncludedFolders, 0, static_cast<int>(setup.cboIncludedFolders.size()));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trimBlanks(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// Reads a file line by line on demand, so an absurd count never makes it read more than it holds.
// A line ends at LF, with a CR before it dropped; a last line without an end still counts.
class LineReader {
public:
    explicit LineReader(const std::string& path) {
        // A folder, a FIFO or a device given as the file is refused, never waited on.
        platform::Result<platform::RegularFile> opened =
            platform::openRegularFile(path, platform::FileOpening::Read);
        opened_ = opened.error();
        file_ = std::move(opened).valueOr({});
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    const platform::Status& opened() const { return opened_; }

    // The next line, or why there is none (62 at the end of the file).
    platform::Result<std::string> next() {
        std::string line;
        bool any = false;
        for (;;) {
            if (pos_ == buffer_.size()) {
                if (const platform::Status filled = fill(); !filled.ok())
                    return filled.error();
                if (buffer_.empty()) {
                    if (any)
                        break;
                    return platform::Error::of(platform::err::InputPastEndOfFile);
                }
            }
            std::size_t lf = buffer_.find('\n', pos_);
            std::size_t stop = lf == std::string::npos ? buffer_.size() : lf;
            line.append(buffer_, pos_, stop - pos_);
            any = true;
            pos_ = lf == std::string::npos ? buffer_.size() : lf + 1;
            if (lf != std::string::npos)
                break;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    }

private:
    platform::Status fill() {
        buffer_.resize(64 * 1024);
        pos_ = 0;
        const platform::Result<std::int64_t> n = file_.read(buffer_.data(), buffer_.size());
        if (!n.ok()) {
            buffer_.clear();
            return n.error();
        }
        buffer_.resize(static_cast<std::size_t>(n.value()));
        return {};
    }

    platform::RegularFile file_;
    platform::Status opened_;
    std::string buffer_;
    std::size_t pos_ = 0;
};

// A whole number on a line of its own, blanks around it allowed; 13 when the line holds none,
// 6 when it lies outside the 16-bit range.
int parseNumber(const std::string& line, int& value) {
    std::string text = trimBlanks(line);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return platform::err::TypeMismatch;
    std::int64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return platform::err::TypeMismatch;
        if (!tooLarge) {
            magnitude = magnitude * 10 + (text[i] - '0');
            tooLarge = magnitude > 100000;
        }
    }
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (tooLarge || signedValue < std::numeric_limits<std::int16_t>::min() ||
        signedValue > std::numeric_limits<std::int16_t>::max())
        return platform::err::Overflow;
    value = static_cast<int>(signedValue);
    return 0;
}

std::string loadErrorDescription(int number) {
    return platform::errorDescription(number);
}

class SetupFileReader {
public:
    SetupFileReader(LineReader& lines) : lines_(lines) {}

    int text(std::string& field, bool trimmed) {
        const platform::Result<std::string> read = lines_.next();
        if (!read.ok())
            return read.error().number;
        const std::string& line = read.value();
        // A text box cannot hold a NUL, and a path cut at one would name another place.
        if (line.find('\0') != std::string::npos)
            return LoadInvalidPropertyValue;
        field = trimmed ? trimBlanks(line) : line;
        return 0;
    }

    int number(int& value) {
        const platform::Result<std::string> line = lines_.next();
        if (!line.ok())
            return line.error().number;
        return parseNumber(line.value(), value);
    }

    // A value its control refuses (a check box other than 0 or 1, an index outside its list)
    // fails as the control would: "Invalid property value".
    int ranged(int& field, int low, int high) {
        int value = 0;
        if (int error = number(value))
            return error;
        if (value < low || value > high)
            return LoadInvalidPropertyValue;
        field = value;
        return 0;
    }

    int checkBox(int& field) { return ranged(field, 0, 1); }

    int rawLine(std::string& line) {
        platform::Result<std::string> read = lines_.next();
        if (!read.ok())
            return read.error().number;
        line = std::move(read).value();
        return 0;
    }

private:
    LineReader& lines_;
};

int readSetupLines(Setup& setup, LineReader& lines) {
    if (!lines.opened().ok())
        return lines.opened().error().number;
    SetupFileReader in(lines);
    int error = 0;
    auto step = [&](int result) {
        error = result;
        return result == 0;
    };
    bool ok =
        step(in.text(setup.txbDirectory[0], true)) && step(in.text(setup.txbDirectory[1], true)) &&
        step(in.checkBox(setup.chkSuppressDetailedReports)) && step(in.checkBox(setup.chkSaveSetupOnQuit)) &&
        step(in.checkBox(setup.chkWarnIfEarlier)) && step(in.checkBox(setup.chkWarnIfSmaller)) &&
        step(in.checkBox(setup.chkExcludeFilesInSourceFolder)) &&
        step(in.checkBox(setup.chkIncludeSubfolders)) && step(in.ranged(setup.cboPercent, 0, 8)) &&
        step(in.ranged(setup.cboModifiedSince, 0, 4)) && step(in.checkBox(setup.chkPauseAfterFirstCopy)) &&
        step(in.checkBox(setup.chkPauseAfterFirstDelete)) &&
        step(in.checkBox(setup.chkDisableOutputToFile)) && step(in.text(setup.txbExcludedFilepaths, false)) &&
        step(in.text(setup.txbReportFile, true));
    if (!ok)
        return error;
    // A folder written with "/" on Windows (by hand, or a setup file from elsewhere) is the same
    // folder; in the system's own separators it joins, reports and matches like any other.
    for (std::string& folder : setup.txbDirectory)
        folder = platform::withStyleSeparators(folder);

    int count = 0;
    if (!step(in.number(count)))
        return error;
    for (int i = 0; i < count; ++i) {
        std::string entry;
        if (!step(in.rawLine(entry)))
            return error;
        // An entry may only name a folder directly in the source, as the selection window makes
        // them: an absolute path, a drive or ".." (in either system's writing, as a setup file
        // may come from the other) could make a backup read outside the source or write outside
        // the target, and a deeper path is never reached by the walk.
        if (platform::isSafeFolderName(entry) && FolderExists(setup.txbDirectory[0] + entry))
            setup.cboIncludedFolders.push_back(entry);
        setup.intNumIncludedFolders = static_cast<int>(setup.cboIncludedFolders.size());
    }
    if (!step(in.text(setup.txbFileExtension, false)))
        return error;
    // The options beyond the plain mirror, when the file has them.
    std::string line;
    while (in.rawLine(line) == 0) {
        if (!step(ReadExtraOptionLine(line, setup.extra)))
            return error;
    }
    return 0;
}

} // namespace

std::string FormatSetupFile(const Setup& setup) {
    const int count = savedEntryCount(setup);
    std::string content;
    auto text = [&](const std::string& value) { content += value + lineEnd; };
    auto number = [&](int value) { content += numberLine(value) + lineEnd; };
    text(setup.txbDirectory[0]);
    text(setup.txbDirectory[1]);
    number(setup.chkSuppressDetailedReports);
    number(setup.chkSaveSetupOnQuit);
    number(setup.chkWarnIfEarlier);
    number(setup.chkWarnIfSmaller);
    number(setup.chkExcludeFilesInSourceFolder);
    number(setup.chkIncludeSubfolders);
    number(setup.cboPercent);
    number(setup.cboModifiedSince);
    number(setup.chkPauseAfterFirstCopy);
    number(setup.chkPauseAfterFirstDelete);
    number(setup.chkDisableOutputToFile);
    text(setup.txbExcludedFilepaths);
    text(setup.txbReportFile);
    number(count);
    for (int i = 0; i < count; ++i)
        text(setup.cboIncludedFolders[static_cast<std::size_t>(i)]);
    text(setup.txbFileExtension);
    content += FormatExtraOptions(setup.extra, lineEnd);
    return content;
}

bool SaveSetupFile(const Setup& setup, const std::string& path) {
    // Refuse what could not load back as it was saved rather than write a file out of step.
    const int count = savedEntryCount(setup);
    if (count > maxCount)
        return false;
    for (const std::string* value :
         {&setup.txbDirectory[0], &setup.txbDirectory[1], &setup.txbExcludedFilepaths, &setup.txbReportFile,
          &setup.txbFileExtension})
        if (!fitsOnOneLine(*value))
            return false;
    for (int i = 0; i < count; ++i)
        if (!fitsOnOneLine(setup.cboIncludedFolders[static_cast<std::size_t>(i)]))
            return false;
    return !platform::writeFileAtomically(path, FormatSetupFile(setup));
}

int LoadOperationFile(Setup& setup, const std::string& strOperationFilePath, const SetupLoadContext& context,
                      bool blnMultipleBackup, std::string* strErrDescr) {
    ClearSetup(setup);
    setup.cboIncludedFolders.clear();

    int result = 0;
    {
        LineReader lines(strOperationFilePath);
        int error = readSetupLines(setup, lines);
        if (error) {
            if (blnMultipleBackup) {
                result = -(200 + error);
                if (strErrDescr)
                    *strErrDescr = loadErrorDescription(error);
            } else {
                result = error;
            }
        }
    }
    setup.intNumIncludedFolders = static_cast<int>(setup.cboIncludedFolders.size());

    std::string& source = setup.txbDirectory[0];
    if (!source.empty() && !FolderExists(source)) {
        if (context.blnStartupCompleted && context.messages)
            context.messages->SourceFolderMissing(GetProgramText(1215) + " " + source + " " +
                                                  GetProgramText(1216));
        source.clear();
        setup.intNumIncludedFolders = 0;
        setup.cboIncludedFolders.clear();
    }

    std::string& target = setup.txbDirectory[1];
    if (!target.empty() && !FolderExists(target)) {
        const std::string text = GetProgramText(1217) + " " + target + " " + GetProgramText(1216);
        if (!context.blnStartupCompleted) {
            target.clear();
        } else if (blnMultipleBackup) {
            result = LoadTargetFolderMissing;
            if (strErrDescr)
                *strErrDescr = GetProgramText(1218);
        } else if (context.messages) {
            context.messages->TargetFolderNotFound(text, setup);
        }
    }

    setup.cboIncludedFoldersListIndex = setup.cboIncludedFolders.empty() ? -1 : 0;
    return result;
}

std::string SetupLoadFailureText(int result) {
    if (result > 0)
        return platform::errorDescription(result) + " (" + GetProgramText(1219) + " " +
               std::to_string(result) + ")";
    return GetProgramText(1219) + " " + std::to_string(result);
}

} // namespace kestrel
