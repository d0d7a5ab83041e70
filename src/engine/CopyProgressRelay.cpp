#include "engine/CopyProgressRelay.h"

namespace kestrel {

platform::CopyProgressCallback CopyProgressRelay(Interaction& ui, const OperationState& state,
                                                 const std::string& sourcePath) {
    return [&ui, &state, sourcePath](const platform::FileCopyProgress& file) {
        CopyProgress progress;
        progress.sourcePath = sourcePath;
        progress.fileBytesDone = file.bytesDone;
        progress.fileBytesTotal = file.bytesTotal;
        progress.operationFilesCopied = state.lngTotalNumFilesCopied;
        progress.operationBytesCopied = static_cast<std::int64_t>(state.dblTotalFilesize) + file.bytesDone;
        ui.ReportCopyProgress(progress);
        return state.blnStop ? platform::CopyDecision::Stop : platform::CopyDecision::Continue;
    };
}

} // namespace kestrel
