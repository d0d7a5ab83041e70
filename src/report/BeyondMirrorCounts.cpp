#include "report/BeyondMirrorCounts.h"

#include "modules/Language.h"
#include "modules/StrProc.h"

namespace kestrel {

namespace {

void CountLine(ReportModel& report, int textNumber, std::int64_t count) {
    report.Output(GetProgramText(textNumber) + ": " + GroupedNumber(static_cast<double>(count), 0), true);
}

} // namespace

void OutputBeyondMirrorCounts(ReportModel& report) {
    const OperationState& state = report.state();
    const ExtraOptions& extra = report.setup().extra;
    const bool backup = state.intOperation == intOperationBackupAllFiles ||
                        state.intOperation == intOperationBackupModifiedFiles;
    if (!backup) {
        if (state.lngTotalNumGoneFiles > 0 || state.lngTotalNumGoneFolders > 0) {
            CountLine(report, 1801, state.lngTotalNumGoneFiles);
            CountLine(report, 1802, state.lngTotalNumGoneFolders);
        }
        return;
    }
    if (extra.bRemoveDeleted) {
        CountLine(report, 1803, state.lngTotalNumRemovedFiles);
        CountLine(report, 1804, state.lngTotalNumRemovedFolders);
    }
    if (extra.intKeepVersionsDays > 0) {
        CountLine(report, 1816, state.lngTotalNumVersionsKept);
        if (state.lngTotalNumVersionsExpired > 0)
            report.Output(GetProgramText(1817) + " " + std::to_string(extra.intKeepVersionsDays) + " " +
                              GetProgramText(1818) + ": " +
                              GroupedNumber(static_cast<double>(state.lngTotalNumVersionsExpired), 0),
                          true);
    }
}

} // namespace kestrel
