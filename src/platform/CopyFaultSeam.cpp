#include "platform/CopyFaultSeam.h"

#include <mutex>
#include <utility>

namespace kestrel::platform {

namespace {

std::mutex& faultMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const CopyFaultPlan>& faultPlan() {
    static std::shared_ptr<const CopyFaultPlan> plan;
    return plan;
}

} // namespace

std::shared_ptr<const CopyFaultPlan> currentCopyFaultPlan() {
    std::lock_guard<std::mutex> lock(faultMutex());
    return faultPlan();
}

void setCopyFaultPlanForTesting(CopyFaultPlan plan) {
    const bool empty = !plan.beforeData && plan.afterBytes < 0 && !plan.atPoint;
    std::lock_guard<std::mutex> lock(faultMutex());
    faultPlan() = empty ? nullptr : std::make_shared<const CopyFaultPlan>(std::move(plan));
}

void setCopyFaultForTesting(CopyFault fault) {
    CopyFaultPlan plan;
    plan.beforeData = std::move(fault);
    setCopyFaultPlanForTesting(std::move(plan));
}

} // namespace kestrel::platform
