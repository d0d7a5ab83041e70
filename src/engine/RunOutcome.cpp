#include "engine/RunOutcome.h"

#include "engine/FolderOperation.h"
#include "platform/DesktopNotification.h"

#include <vector>

namespace kestrel {

namespace {

std::string counted(std::int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

} // namespace

std::string RunTroubles(const OperationState& state) {
    std::vector<std::string> parts;
    if (state.lngTotalNumCopyErrors > 0)
        parts.push_back(counted(state.lngTotalNumCopyErrors, "copy error", "copy errors"));
    if (state.lngTotalNumDeletionErrors > 0)
        parts.push_back(counted(state.lngTotalNumDeletionErrors, "deletion error", "deletion errors"));
    if (state.intNumWarnings > 0)
        parts.push_back(counted(state.intNumWarnings, "warning", "warnings"));
    if (state.blnTargetFull)
        parts.push_back("the target disk is full");
    if (state.blnReportFileCutShort)
        parts.push_back("the report file is cut short");
    return joined(parts);
}

std::string RunEndAccount(const std::string& operation, const OperationState& state,
                          const std::string& reportFile) {
    const std::string troubles = RunTroubles(state);
    std::string account;
    if (state.blnStop && !state.blnTargetFull)
        account = operation + " stopped before the end" + (troubles.empty() ? "" : ", with " + troubles);
    else
        account = operation + " ended with " + (troubles.empty() ? "errors" : troubles);
    if (!reportFile.empty())
        account += "; report file: " + reportFile;
    return account;
}

RunOutcome OutcomeOf(const std::string& operation, int result, const std::string& refusal,
                     const OperationState& state, const std::string& reportFile) {
    if (result == intResultReportFileCancelled)
        return {RunEnd::Cancelled, operation + " cancelled at the question about the existing report file"};
    if (result < 0)
        return {RunEnd::Refused, refusal.empty() ? operation + " refused to start" : refusal};
    if (state.blnStop && !state.blnTargetFull)
        return {RunEnd::Cancelled, RunEndAccount(operation, state, reportFile)};
    if (state.lngTotalNumCopyErrors > 0 || state.intNumWarnings > 0 || state.blnReportFileCutShort)
        return {RunEnd::WithTroubles, RunEndAccount(operation, state, reportFile)};
    return {};
}

void NotifyRunEnd(RunEnd end, const std::string& operation, const std::string& account) {
    std::string title;
    switch (end) {
    case RunEnd::Done:
        return;
    case RunEnd::WithTroubles:
        title = capitalised(operation) + " ended with errors or warnings";
        break;
    case RunEnd::Refused:
        title = capitalised(operation) + " did not start";
        break;
    case RunEnd::Cancelled:
        title = capitalised(operation) + " was cancelled";
        break;
    }
    platform::notifyDesktop(title, capitalised(account),
                            end == RunEnd::Cancelled ? platform::NoticeUrgency::Normal
                                                     : platform::NoticeUrgency::Critical);
}

} // namespace kestrel
