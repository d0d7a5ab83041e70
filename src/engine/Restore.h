#pragma once

#include "engine/FolderOperation.h"
#include "setup/Setup.h"

#include <string>

// A restore copies a backup back: the setup's target is walked as a backup walks its source, and
// the destination (the setup's source unless another folder is given) takes the place of the
// target, with the report, the checks and the guards of a backup (the destination's lock,
// folder handles, no link followed, a temporary file renamed into place). A file of the
// destination newer than its copy in the backup is left alone and named, unless asked for.
namespace kestrel {

struct RestoreRequest {
    std::string destination;     // a folder ending in the separator; empty: the setup's source
    std::string subfolder;       // one of the setup's included subfolders; empty: the whole backup
    std::string versionsRun;     // a run folder of the backup's versions folder: its earlier copies
    bool overwriteNewer = false; // files of the destination newer than their copies are replaced
    bool check = false;          // only report what a restore would copy
};

constexpr int intResultNotIncludedSubfolder = -130; // program text 1923
constexpr int intResultNoSuchVersionsRun = -131;    // program text 1925

// The setup a restore runs: the backup (or one run folder of its versions folder) as source, the
// destination as target, every folder of it (or the one subfolder), every file whatever its
// date, no question about older files.
Setup RestoreSetupOf(const Setup& setup, const RestoreRequest& request);

// Runs the restore (or its check) of `setup`'s backup; the result codes of RunFolderOperation.
int RunRestore(Setup& setup, OperationState& state, Interaction& ui, ReportModel& report,
               const RestoreRequest& request, std::string* strResultText = nullptr);

// The title of a restore or of its check.
std::string RestoreTitle(bool check);

} // namespace kestrel
