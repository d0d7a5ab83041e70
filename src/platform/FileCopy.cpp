#include "platform/FileCopy.h"

#include "platform/CopyAttempt.h"
#include "platform/Path.h"

#include <memory>
#include <optional>
#include <utility>

// The order of a copy's steps, the same on every system; each system gives only its calls.
namespace kestrel::platform {

namespace {

Error changedSourceError() {
    return Error{err::PathFileAccess, "The file changed while it was being copied"};
}

Error notRegularError() {
    return Error{err::PathFileAccess, "The file is no regular file"};
}

CopyResult failed(Error error, CopyFailure failure) {
    CopyResult result;
    result.error = std::move(error);
    result.failure = failure;
    return result;
}

// The progress callback hears of the first byte and of the last as well as of those between.
DataResult moveData(CopyAttempt& attempt, CopyFlow& flow) {
    if (!flow.report(0))
        return DataResult::Stopped;
    DataResult result = attempt.moveData(flow);
    if (result == DataResult::Done)
        result = flow.checkFault();
    if (result == DataResult::Done && !flow.report(flow.size()))
        result = DataResult::Stopped;
    return result;
}

// The result of one try; none when the source changed while it was copied.
std::optional<CopyResult> copyOnce(const std::string& sourcePath, const DirectoryHandle& folder,
                                   const std::string& targetName, const CopyOptions& options,
                                   const CopyFaultPlan* plan) {
    const std::unique_ptr<CopyAttempt> attempt = newCopyAttempt(folder);
    if (Error error = attempt->openSource(sourcePath, options.sourceFolder))
        return failed(std::move(error), CopyFailure::Source);
    if (!attempt->sourceIsRegular())
        return failed(notRegularError(), CopyFailure::NotRegular);
    if (!options.overwrite && attempt->targetExists(targetName))
        return failed(Error::of(err::FileAlreadyExists), CopyFailure::Target);
    if (Error error = attempt->createTemporary())
        return failed(std::move(error), CopyFailure::Target);

    CopyFlow flow(attempt->sourceSize(), options.progress, plan);
    switch (moveData(*attempt, flow)) {
    case DataResult::Stopped: {
        CopyResult result;
        result.cancelled = true;
        return result;
    }
    case DataResult::SourceFailed:
        return failed(flow.error(), CopyFailure::Source);
    case DataResult::TargetFailed:
        return failed(flow.error(), CopyFailure::Target);
    case DataResult::Done:
        break;
    }
    if (!attempt->sourceUnchanged())
        return std::nullopt;

    // The time recorded is the one read before the data, so a change during the copy shows as a
    // modification on the next run.
    CopyTime modified = attempt->sourceModified();
    if (options.sourceStatus && options.sourceStatus->exists())
        modified = CopyTime{options.sourceStatus->mtimeSeconds, options.sourceStatus->mtimeNanoseconds};
    unsigned notKept = 0;
    if (Error error = attempt->stamp(modified, options.keepAttributes, notKept))
        return failed(std::move(error), CopyFailure::Target);
    if (Error error = attempt->place(targetName, options.overwrite))
        return failed(std::move(error), CopyFailure::Target);
    CopyResult result;
    result.bytesCopied = attempt->sourceSize();
    result.notKept = notKept;
    return result;
}

} // namespace

CopyResult copyFileInto(const std::string& sourcePath, const DirectoryHandle& targetFolder,
                        const std::string& targetName, const CopyOptions& options) {
    const std::shared_ptr<const CopyFaultPlan> plan = CopyFaultPlanSeam::current();
    if (plan && plan->beforeData) {
        if (Error error = plan->beforeData(sourcePath, targetName))
            return failed(std::move(error), CopyFailure::Target);
    }
    if (!targetFolder.valid())
        return failed(Error::of(err::PathNotFound), CopyFailure::Target);
    // A source that changed while it was copied gets one more try before it is reported.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (std::optional<CopyResult> result =
                copyOnce(sourcePath, targetFolder, targetName, options, plan.get()))
            return std::move(*result);
    }
    return failed(changedSourceError(), CopyFailure::SourceChanged);
}

CopyResult copyFileAtomically(const std::string& source, const std::string& target, bool overwrite,
                              const FileStatus* sourceStatus) {
    const std::size_t separator = lastSeparatorOf(target);
    const std::string folder = separator == std::string::npos ? "." : target.substr(0, separator + 1);
    const std::string name = separator == std::string::npos ? target : target.substr(separator + 1);
    Result<DirectoryHandle> opened = DirectoryHandle::open(folder);
    const Error error = opened.error();
    const DirectoryHandle handle = std::move(opened).valueOr({});
    CopyOptions options;
    options.overwrite = overwrite;
    options.sourceStatus = sourceStatus;
    CopyResult result = copyFileInto(source, handle, name, options);
    // The seam still sees the copy, as it would with the folder there.
    if (!handle.valid() && result.error.number == err::PathNotFound && error)
        result.error = error;
    return result;
}

} // namespace kestrel::platform
