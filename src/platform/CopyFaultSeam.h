#pragma once

#include "platform/FileCopy.h"

#include <memory>

// Inside the platform only: the copy fault plan tests install, as each system's copy meets it.
namespace kestrel::platform {

// The plan in force; null when no test installed one.
std::shared_ptr<const CopyFaultPlan> currentCopyFaultPlan();

} // namespace kestrel::platform
