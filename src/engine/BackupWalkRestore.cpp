#include "engine/BackupWalk.h"

#include "modules/Language.h"
#include "report/ReportTexts.h"

// The walk's part of a restore, where the backup is the source and the destination the target.
namespace kestrel {

bool BackupWalk::IsLeftOutOfRestore(const std::string& fullPath, const std::string& name) const {
    // The reports that unattended runs left in the backup's folder are the program's, not the
    // user's: they do not go into the user's folders.
    if (fullPath.size() != source_.size() + name.size() || fullPath.compare(0, source_.size(), source_) != 0)
        return false;
    const std::string head = GetProgramText(1292) + " ";
    static const std::string kTail = ".txt";
    return name.size() > head.size() + kTail.size() && name.compare(0, head.size(), head) == 0 &&
           name.compare(name.size() - kTail.size(), kTail.size(), kTail) == 0;
}

void BackupWalk::ReportNewerLeftAlone(FolderRun& run, const std::string& name) {
    // Not what the user asked the restore for: a warning, so the run does not end as all done.
    ++state_.intNumWarnings;
    if (!Details())
        return;
    if (!run.blnFolderLineShown) {
        OutputHeldBackFolderLine(report_);
        run.blnFolderLineShown = true;
    }
    report_.Output("      " + run.targetFolder + name + "  " + GetProgramText(1910), true);
}

} // namespace kestrel
