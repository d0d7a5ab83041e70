#include "report/ReportFile.h"

#include "modules/DatePr2.h"
#include "modules/Folder.h"
#include "modules/Language.h"
#include "modules/StrProc.h"
#include "platform/DirectoryHandle.h"
#include "platform/Path.h"
#include "platform/RegularFile.h"
#include "report/Interaction.h"
#include "report/ReportModel.h"

namespace kestrel {

ReportFile::~ReportFile() {
    Close();
}

platform::Error ReportFile::Open(const std::string& path, bool append,
                                 const platform::DirectoryHandle& target, bool& refused) {
    Close();
    refused = false;
    const platform::FileOpening opening =
        append ? platform::FileOpening::Append : platform::FileOpening::Truncate;
    platform::FolderOfFile place = platform::openFolderOfFile(path, target);
    if (place.linkInTree) {
        refused = true;
        return place.error;
    }
    // A FIFO named as the report file is refused, never waited on or written to; a device such
    // as /dev/null takes the report without waiting.
    platform::Result<platform::RegularFile> opened =
        place.folder.valid() && place.insideTree
            ? platform::openOwnFile(place.folder, place.name, opening, refused)
            : platform::openRegularFile(path, opening, true);
    if (!opened.ok()) {
        return opened.error();
    }
    file_ = std::move(opened).value();
    path_ = path;
    return {};
}

platform::Error ReportFile::Write(const std::string& text) {
    return file_.writeAll(text.data(), text.size());
}

void ReportFile::Close() {
    file_.close();
}

std::string ReportFileStampLine() {
    return GetProgramText(1181) + ": " + DateTimeText(false, true);
}

bool AskToNameReportFile(Interaction& ui, bool forDeletion) {
    MessageRequest question;
    question.title = GetProgramText(1182);
    question.buttons = MessageButtons::YesNo;
    if (forDeletion) {
        question.text = GetProgramText(1183);
        question.defaultButton = 1;
    } else {
        question.text = GetProgramText(1184);
        question.defaultButton = 2;
    }
    return ui.ShowMessage(question) == MessageAnswer::Yes;
}

void ChooseReportFile(ReportModel& report) {
    Setup& setup = report.setup();
    const std::string chosen =
        report.ui().ChooseReportFile(GetProgramText(1185), GetProgramText(1186) + " (*.txt) | *.txt");
    if (!chosen.empty()) {
        setup.txbReportFile = chosen;
    }
    setup.txbReportFile = TrimBlanks(setup.txbReportFile);
    setup.chkDisableOutputToFile = 0;
    report.state().blnOutputToFile = !setup.txbReportFile.empty();
}

bool ReportFileInsideTarget(const std::string& reportFile, const std::string& targetFolder) {
    // The leading characters only, as the deletion refuses any report path that starts so.
    return !targetFolder.empty() && reportFile.compare(0, targetFolder.size(), targetFolder) == 0;
}

namespace {

// Names an unattended run tries for its report before it gives up: past a few leftovers, a
// target full of them is no longer chance.
constexpr int kReportFileNames = 100;

enum class ReportFileState { Missing, Existing, Refused };

// What stands at the report file's name, judged as ReportFile::Open will judge it.
ReportFileState StateOfReportFile(const std::string& path, const platform::DirectoryHandle& target) {
    const platform::FolderOfFile place = platform::openFolderOfFile(path, target);
    if (place.linkInTree) {
        return ReportFileState::Refused;
    }
    if (place.folder.valid() && place.insideTree) {
        switch (platform::ownFileStateOf(place.folder, place.name)) {
        case platform::OwnFileState::Missing:
            return ReportFileState::Missing;
        case platform::OwnFileState::Own:
            return ReportFileState::Existing;
        case platform::OwnFileState::Foreign:
            return ReportFileState::Refused;
        }
    }
    return FileExists(path) ? ReportFileState::Existing : ReportFileState::Missing;
}

ReportFileOpening RefuseReportFile(ReportModel& report, const std::string& title) {
    report.state().blnOutputToFile = false;
    MessageRequest message;
    message.text = ReportFileRefusedText(report.setup().txbReportFile);
    message.title = title;
    message.buttons = MessageButtons::Ok;
    message.icon = MessageIcon::Exclamation;
    report.ui().ShowMessage(message);
    return ReportFileOpening::Refused;
}

} // namespace

std::string ReportFileRefusedText(const std::string& path) {
    return GetProgramText(1187) + " " + path + " " + GetProgramText(1188);
}

std::string NumberedReportFile(const std::string& path, int number) {
    const std::size_t name = platform::lastSeparatorOf(path);
    const std::size_t dot = path.rfind('.');
    const std::size_t end =
        dot == std::string::npos || (name != std::string::npos && dot < name) ? path.size() : dot;
    return path.substr(0, end) + " (" + std::to_string(number) + ")" + path.substr(end);
}

ReportFileOpening OpenReportFile(ReportModel& report, int presetChoice, const std::string& failureTitle) {
    OperationState& state = report.state();
    Setup& setup = report.setup();
    if (!state.blnOutputToFile) {
        return ReportFileOpening::NoFile;
    }

    // The target as it is now: a report file inside it is reached from it downward.
    // A target that cannot be opened holds no report file to reach from it.
    const platform::DirectoryHandle target = setup.txbDirectory[1].empty()
                                                 ? platform::DirectoryHandle()
                                                 : platform::openDirectory(setup.txbDirectory[1]).valueOr({});
    const std::string named = setup.txbReportFile;
    int number = 1;
    // Something that is no report file of the run's holds the name (or took it while the file was
    // being opened): the unattended run moves on to the next name, a name the user chose is
    // refused.
    const auto nextName = [&] {
        if (!state.blnReportFileNameChosen || number >= kReportFileNames) {
            return false;
        }
        setup.txbReportFile = NumberedReportFile(named, ++number);
        return true;
    };

    int choice = 1; // a file that does not exist yet is created
    platform::Error error;
    for (;;) {
        const ReportFileState found = StateOfReportFile(setup.txbReportFile, target);
        if (found == ReportFileState::Refused) {
            if (nextName()) {
                continue;
            }
            return RefuseReportFile(report, GetProgramText(1189));
        }
        choice = 1;
        if (found == ReportFileState::Existing) {
            if (presetChoice >= 1 && presetChoice <= 4) {
                choice = presetChoice;
            } else if (state.blnScheduledTask) {
                // Nobody to ask: append, so an unattended run never destroys an earlier report
                // (its own report file has a new name each time anyway).
                choice = 2;
            } else {
                choice = report.ui().AskExistingReportFile();
            }
        }
        state.intChoice = choice;
        if (choice == 4) {
            return ReportFileOpening::Cancelled;
        }
        if (choice == 3) {
            setup.chkDisableOutputToFile = 1;
            state.blnOutputToFile = false;
            return ReportFileOpening::NoFile;
        }
        bool refused = false;
        error = report.file().Open(setup.txbReportFile, choice == 2, target, refused);
        if (!refused) {
            break;
        }
        if (!nextName()) {
            return RefuseReportFile(report, GetProgramText(1189));
        }
    }

    const bool append = choice == 2;
    if (error) {
        state.blnOutputToFile = false;
        MessageRequest message;
        message.text = GetProgramText(1190);
        message.title = failureTitle;
        message.buttons = MessageButtons::Ok;
        message.icon = MessageIcon::Exclamation;
        report.ui().ShowMessage(message);
        return ReportFileOpening::Failed;
    }

    const std::string head = ReportFileStampLine();
    if (append) {
        // The row of dashes parts the new report from the earlier one in the file; the screen
        // starts with the head line.
        const std::string dashes(static_cast<std::size_t>(ReportCharacterCount(head)), '-');
        report.OutputToFileOnly("\r\n" + dashes + "\r\n", true);
        report.Clear();
    }
    report.Output(head + "\r\n", true);
    if (setup.txbReportFile != named) {
        report.Output(named + " " + GetProgramText(1191) + "\r\n" + GetProgramText(1192) + " " +
                          setup.txbReportFile + " " + GetProgramText(1193) + "\r\n",
                      true);
    }
    return ReportFileOpening::Opened;
}

void CloseReportFile(ReportModel& report) {
    OperationState& state = report.state();
    if (!state.blnOutputToFile) {
        return;
    }
    report.Output("\r\n" + ReportFileStampLine(), true);
    report.file().Close();
    state.blnOutputToFile = false;
}

} // namespace kestrel
