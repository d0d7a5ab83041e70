#pragma once

#include "support/CopyFaultGuard.h"

#include <string>

namespace kestrel::testing {

// While the guard it returns lives, the copy of every source whose path holds `fragment` fails
// with the run-time error `number`; the others are copied.
[[nodiscard]] inline CopyFaultGuard FailCopiesOf(const std::string& fragment, int number) {
    return CopyFaultGuard([fragment, number](const std::string& from, const std::string&) {
        return from.find(fragment) != std::string::npos ? platform::Error::of(number) : platform::Error{};
    });
}

} // namespace kestrel::testing
