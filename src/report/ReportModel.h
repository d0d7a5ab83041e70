#pragma once

#include "report/Interaction.h"
#include "report/OperationState.h"
#include "report/ReportFile.h"
#include "report/ReportSink.h"
#include "setup/Setup.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrel {

// The report as the operations write it: the text of the report window, its one output
// primitive `Output`, and the report file it feeds. Whoever shows the report (the report window,
// a terminal) is told of every change through the Interaction and the optional sink.
//
// Text lengths are counted in characters (code points; CR LF counts two), as the window's text
// box counts them.
class ReportModel {
public:
    // `state` and `setup` are the main window's; the model reads them live and writes
    // blnOutputToFile and chkDisableOutputToFile when the report file must be given up.
    ReportModel(OperationState& state, Setup& setup, Interaction& ui);

    // Sends one report text to the report file (backups and the deletion, while blnOutputToFile
    // is set) and to the screen; `blnCRLF` false leaves the line open for the next text.
    void Output(const std::string& strText, bool blnCRLF);

    // Ends the line the last Output left open, so that what follows starts a line of its own on
    // screen, in the sink and in the report file alike (the screen may have been emptied since).
    void StartLine();

    // How a block stands among the report's lines.
    enum class Spacing {
        Plain,   // its own lines
        SetApart // an empty line after it, and one before it unless it ends an open line
    };
    // A block of lines that is no part of a folder's count line: a problem, a passed-over entry,
    // a warning, the end of a stopped run. Every such block goes through here, so it never
    // continues the line the last output left open.
    void OutputBlock(const std::string& text, Spacing spacing = Spacing::Plain);

    // Screen-only changes of the text (never written to the report file).
    void AppendToScreen(const std::string& text);
    void SetText(const std::string& text);
    void Clear() { SetText(""); }
    // The indent of a remark: four blanks when the text ends with a line break.
    void Indent();

    // A note shown at the end of the text while the operation is busy, then taken back; it never
    // reaches the report file or the sink.
    void ShowTransientNote(const std::string& note);
    void RemoveTransientNote();
    bool HasTransientNote() const { return transientStart_ != npos; }

    const std::string& Text() const { return text_; }
    std::int64_t Length() const { return chars_; }
    bool EndsWithLineBreak() const;
    // True only inside the Output call that found the text box full.
    bool blnReportBufferFull() const { return blnReportBufferFull_; }

    // The window's text box holds at most lngMaxSizeTextboxContents characters: when the rule is
    // on, a full box is announced, waited on and emptied. A terminal has no such limit (off); the
    // model then keeps only the recent part of the text, the sink has had all of it.
    void setCapacityRule(bool on) { capacityRule_ = on; }
    bool capacityRule() const { return capacityRule_; }
    void setSink(ReportSink* sink) { sink_ = sink; }

    // The free bytes of the drive of a path (GetDriveFreeSpace unless a test replaces it); a
    // negative value means unknown.
    using FreeSpaceFunction = std::function<double(const std::string& path)>;
    void setFreeSpaceFunction(FreeSpaceFunction freeSpace);

    // Writes to the report file only (the separator of an appended report).
    void OutputToFileOnly(const std::string& strText, bool blnCRLF);

    OperationState& state() { return state_; }
    Setup& setup() { return *setup_; }
    void setSetup(Setup& setup) { setup_ = &setup; }
    Interaction& ui() { return ui_; }
    ReportFile& file() { return file_; }

private:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    bool WritesReportFile() const;
    // False when the text was not written and the report file was given up.
    bool WriteToReportFile(const std::string& strText, bool blnCRLF);
    void GiveUpReportFile();
    void AnnounceFullTextBox();
    void Append(const std::string& text);
    void KeepRecentText();

    OperationState& state_;
    Setup* setup_;
    Interaction& ui_;
    ReportSink* sink_ = nullptr;
    ReportFile file_;
    FreeSpaceFunction freeSpace_;

    std::string text_;
    std::int64_t chars_ = 0;
    bool capacityRule_ = true;
    bool blnReportBufferFull_ = false;
    bool lineOpen_ = false;             // the last Output ended without a line break
    std::size_t transientStart_ = npos; // byte offset where the transient note begins
    std::int64_t transientChars_ = 0;
};

// Characters as the report window counts them (code points of UTF-8 text).
std::int64_t ReportCharacterCount(const std::string& text);

} // namespace kestrel
