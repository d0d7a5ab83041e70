#include "engine/RunOutcome.h"

#include "engine/FolderOperation.h"
#include "modules/Language.h"
#include "platform/DesktopNotification.h"

#include <vector>

namespace kestrel {

namespace {

// The count and the text for it: `one` after a count of one, the text after `one` otherwise.
std::string counted(std::int64_t count, int one) {
    return std::to_string(count) + " " + GetProgramText(count == 1 ? one : one + 1);
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " " + GetProgramText(1268) + " " : ", ") + parts[i];
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
        parts.push_back(counted(state.lngTotalNumCopyErrors, 1260));
    if (state.lngTotalNumDeletionErrors > 0)
        parts.push_back(counted(state.lngTotalNumDeletionErrors, 1262));
    if (state.intNumWarnings > 0)
        parts.push_back(counted(state.intNumWarnings, 1264));
    if (state.blnTargetFull)
        parts.push_back(GetProgramText(1266));
    if (state.blnRemovalRefused)
        parts.push_back(std::to_string(state.lngNumRefusedRemovals) + " " + GetProgramText(1812) + " " +
                        std::to_string(state.lngRemovalLimit) + " (" + GetProgramText(1813) + ")");
    if (state.blnReportFileCutShort)
        parts.push_back(GetProgramText(1267));
    return joined(parts);
}

std::string RunEndAccount(const std::string& operation, const OperationState& state,
                          const std::string& reportFile) {
    const std::string troubles = RunTroubles(state);
    std::string account;
    if (state.blnStop && !state.blnTargetFull)
        account = operation + " " + GetProgramText(1269) +
                  (troubles.empty() ? "" : ", " + GetProgramText(1270) + " " + troubles);
    else
        account = operation + " " + GetProgramText(1271) + " " +
                  (troubles.empty() ? GetProgramText(1272) : troubles);
    if (!reportFile.empty())
        account += "; " + GetProgramText(1273) + ": " + reportFile;
    return account;
}

RunOutcome OutcomeOf(const std::string& operation, int result, const std::string& refusal,
                     const OperationState& state, const std::string& reportFile) {
    if (result == intResultReportFileCancelled)
        return {RunEnd::Cancelled, operation + " " + GetProgramText(1274)};
    if (result < 0)
        return {RunEnd::Refused, refusal.empty() ? operation + " " + GetProgramText(1275) : refusal};
    if (state.blnStop && !state.blnTargetFull)
        return {RunEnd::Cancelled, RunEndAccount(operation, state, reportFile)};
    if (state.lngTotalNumCopyErrors > 0 || state.intNumWarnings > 0 || state.blnReportFileCutShort ||
        state.lngTotalNumDeletionErrors > 0 || state.blnRemovalRefused)
        return {RunEnd::WithTroubles, RunEndAccount(operation, state, reportFile)};
    return {};
}

void NotifyRunEnd(RunEnd end, const std::string& operation, const std::string& account) {
    std::string title;
    switch (end) {
    case RunEnd::Done:
        return;
    case RunEnd::WithTroubles:
        title = capitalised(operation) + " " + GetProgramText(1276);
        break;
    case RunEnd::Refused:
        title = capitalised(operation) + " " + GetProgramText(1277);
        break;
    case RunEnd::Cancelled:
        title = capitalised(operation) + " " + GetProgramText(1278);
        break;
    }
    platform::notifyDesktop(title, capitalised(account),
                            end == RunEnd::Cancelled ? platform::NoticeUrgency::Normal
                                                     : platform::NoticeUrgency::Critical);
}

} // namespace kestrel
