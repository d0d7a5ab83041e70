#pragma once

#include "platform/FileCopy.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace kestrel::testing {

// Owns the copy fault seam for as long as it lives: every copy meets the fault while the guard
// lives, and what was there before it once it has gone, whatever the test did in between.
class CopyFaultGuard {
public:
    // Every copy first asks `fault` with its source path and target name; a non-zero error is the
    // copy's result. The fault may block, to hold a copy before its first byte.
    explicit CopyFaultGuard(platform::CopyFault fault) : CopyFaultGuard(BeforeData(std::move(fault))) {}
    explicit CopyFaultGuard(platform::CopyFaultPlan plan)
        : guard_(std::make_shared<const platform::CopyFaultPlan>(std::move(plan))) {}

    // Every copy fails as if its write had failed with `errnoValue` once `bytes` of its data are
    // written (ENOSPC: the disk filled; EIO: the disk failed).
    static platform::CopyFaultPlan FailAfter(std::int64_t bytes, int errnoValue) {
        platform::CopyFaultPlan plan;
        plan.afterBytes = bytes;
        plan.errnoValue = errnoValue;
        return plan;
    }
    // Every copy calls `hold` once `bytes` of its data are written (it may wait on a gate), then
    // goes on.
    static platform::CopyFaultPlan HoldAfter(std::int64_t bytes, std::function<void()> hold) {
        platform::CopyFaultPlan plan;
        plan.afterBytes = bytes;
        plan.atPoint = std::move(hold);
        return plan;
    }

private:
    static platform::CopyFaultPlan BeforeData(platform::CopyFault fault) {
        platform::CopyFaultPlan plan;
        plan.beforeData = std::move(fault);
        return plan;
    }

    platform::ScopedCopyFaultPlanForTesting guard_;
};

} // namespace kestrel::testing
