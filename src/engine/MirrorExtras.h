#pragma once

#include "engine/GoneFromSource.h"
#include "engine/OperationContext.h"
#include "engine/VersionsFolder.h"
#include "platform/DirectoryHandle.h"

#include <memory>
#include <string>
#include <vector>

// The work beyond the plain mirror around one walk: what is gone from the source (named by a
// check, removed after a backup that asks for it, within its limit), the copies kept in the
// versions folder and the removal of versions past their days. A setup that asks for none of
// it makes nothing here: no folder of the target is read more than a plain run reads.
namespace kestrel {

class BackupWalk;

class MirrorExtras {
public:
    MirrorExtras(OperationContext& context, const std::vector<std::string>& excludedFilepaths,
                 std::string strTitle);
    ~MirrorExtras();
    MirrorExtras(const MirrorExtras&) = delete;
    MirrorExtras& operator=(const MirrorExtras&) = delete;

    // Gives the walk what it needs of this run: the comparison with the target, the versions.
    void AttachTo(BackupWalk& walk);
    // After the walk: names what is gone (a check) or removes it (a backup), then removes the
    // versions past their days. True when it changed anything in the target.
    bool Finish();

private:
    void ReportGone();
    void RemoveGone();
    // Whether the removal may go on past its limit: asked in the window, refused elsewhere.
    bool WithinLimit();
    void RemoveOne(const GoneEntry& entry);
    void ExpireVersions();
    void ReportRemovalError(const std::string& path, const platform::Error& error);

    OperationContext& ctx_;
    std::string strTitle_;
    std::string target_;
    bool backup_ = false;
    platform::DirectoryHandle root_;
    std::unique_ptr<GoneFromSource> gone_;
    std::unique_ptr<VersionsKeeper> versions_;
    bool changed_ = false;
};

} // namespace kestrel
