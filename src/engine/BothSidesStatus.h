#pragma once

#include "platform/DirectoryHandle.h"
#include "platform/FileSystem.h"
#include "platform/TestSeam.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel {

// Whether a walk puts the second core to work: the target's statuses read beside the source's,
// and the files to copy read ahead. On, but while a test's guard switches it off to show that
// everything comes out the same either way.
bool WalkUsesSecondCore();
using SingleCoreWalkSeam = platform::TestSeam<struct SingleCoreWalkTag, bool>;
using ScopedSingleCoreWalkForTesting = SingleCoreWalkSeam::Guard;

// Reads the statuses of a batch of one folder's files on both sides at once: the source's
// through its folder's handle (a link followed to the file it leads to) on the walk's thread,
// the copies' through the target folder's handle (a link read as a link) on a second thread.
// Each side is read once a file; the walk decides from what it holds. A folder of few files is
// read on the walk's thread alone.
class BothSidesStatus {
public:
    explicit BothSidesStatus(bool secondThread);
    ~BothSidesStatus();
    BothSidesStatus(const BothSidesStatus&) = delete;
    BothSidesStatus& operator=(const BothSidesStatus&) = delete;

    // `targetStatuses` gets a Missing status a name where `target` is null (no target folder).
    void read(const platform::DirectoryHandle& source, const platform::DirectoryHandle* target,
              const std::vector<std::string>& names, std::vector<platform::FileStatus>& sourceStatuses,
              std::vector<platform::FileStatus>& targetStatuses);

private:
    static void readTargets(const platform::DirectoryHandle& target, const std::vector<std::string>& names,
                            std::vector<platform::FileStatus>& statuses);
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    // The batch handed to the second thread; null while it has none.
    const platform::DirectoryHandle* target_ = nullptr;
    const std::vector<std::string>* names_ = nullptr;
    std::vector<platform::FileStatus>* statuses_ = nullptr;
    bool stopping_ = false;
    std::thread helper_;
};

} // namespace kestrel
