#pragma once

#include "report/ReportModel.h"

namespace kestrel {

// The summary's counts of what the target holds that the source no longer has, of what a backup
// removed of it and of the versions kept and expired: each when it happened, or when the setup
// asks for it (a plain setup's summary stays as it is).
void OutputBeyondMirrorCounts(ReportModel& report);

} // namespace kestrel
