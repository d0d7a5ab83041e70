#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace kestrel::testing {

// From now on, the copy of every source whose path holds `fragment` fails with the run-time
// error `number`; the others are copied. The test takes the fault away at its end
// (setCopyFaultForTesting({}), as the engine fixture does).
inline void FailCopiesOf(const std::string& fragment, int number) {
    platform::setCopyFaultForTesting([fragment, number](const std::string& from, const std::string&) {
        return from.find(fragment) != std::string::npos ? platform::Error::of(number) : platform::Error{};
    });
}

} // namespace kestrel::testing
