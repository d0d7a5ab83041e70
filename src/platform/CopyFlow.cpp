#include "platform/CopyFlow.h"

#include <algorithm>
#include <utility>

namespace kestrel::platform {

CopyFlow::CopyFlow(std::int64_t size, const CopyProgressCallback& progress, const CopyFaultPlan* plan)
    : size_(size), progress_(progress), plan_(plan) {}

bool CopyFlow::report(std::int64_t done) {
    if (!progress_)
        return true;
    lastReport_ = std::chrono::steady_clock::now();
    return progress_(FileCopyProgress{done, size_}) == CopyDecision::Continue;
}

DataResult CopyFlow::checkFault() {
    if (!faultPlanned() || faultMet_ || done_ < plan_->afterBytes)
        return DataResult::Done;
    faultMet_ = true;
    if (plan_->atPoint)
        plan_->atPoint();
    if (plan_->errnoValue != 0)
        return fail(DataResult::TargetFailed, Error::fromErrno(plan_->errnoValue));
    return DataResult::Done;
}

DataResult CopyFlow::beforePiece(std::int64_t& length) {
    const DataResult fault = checkFault();
    if (fault != DataResult::Done)
        return fault;
    if (progress_ && std::chrono::steady_clock::now() - lastReport_ >= std::chrono::milliseconds(500) &&
        !report(done_))
        return DataResult::Stopped;
    if (faultPlanned() && !faultMet_)
        length = std::min(length, plan_->afterBytes - done_);
    return DataResult::Done;
}

DataResult CopyFlow::fail(DataResult failure, Error error) {
    error_ = std::move(error);
    return failure;
}

} // namespace kestrel::platform
