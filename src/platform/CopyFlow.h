#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"

#include <chrono>
#include <cstdint>

// Inside the platform only: what the data of one copy meets on its way, whatever system moves
// it: the progress callback and the test seam's data fault.
namespace kestrel::platform {

enum class DataResult { Done, SourceFailed, TargetFailed, Stopped };

class CopyFlow {
public:
    // `size` is the source's size as read when it was opened; `plan` may be null.
    CopyFlow(std::int64_t size, const CopyProgressCallback& progress, const CopyFaultPlan* plan);

    std::int64_t size() const { return size_; }
    std::int64_t done() const { return done_; }
    // Whether the test seam waits for a point in the data (no shortcut may pass over it then).
    bool faultPlanned() const { return plan_ && plan_->afterBytes >= 0; }

    // Tells the progress callback where the copy stands; false when it says Stop.
    bool report(std::int64_t done);
    // Meets the test seam's fault once its point is reached.
    DataResult checkFault();
    // Before each piece of data: meets the fault, reports now and then (often enough that a
    // stop takes effect within a second whatever the disk's speed), and shortens `length` so
    // that the piece ends at the fault's point.
    DataResult beforePiece(std::int64_t& length);
    void moved(std::int64_t bytes) { done_ += bytes; }
    // A failure of the system's own reading or writing, kept for the result.
    DataResult fail(DataResult failure, Error error);
    const Error& error() const { return error_; }

private:
    std::int64_t size_;
    const CopyProgressCallback& progress_;
    const CopyFaultPlan* plan_;
    std::int64_t done_ = 0;
    Error error_;
    bool faultMet_ = false;
    std::chrono::steady_clock::time_point lastReport_{};
};

} // namespace kestrel::platform
