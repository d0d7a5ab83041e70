#include "cli/StopRequest.h"

#include <csignal>
#include <cstring>

namespace kestrel::testing {

std::vector<int> StopRequests() {
    return {SIGTERM, SIGHUP, SIGINT};
}

int InterruptRequest() {
    return SIGINT;
}

std::string StopRequestName(int request) {
    return ::strsignal(request);
}

bool SendStop(int request) {
    // A signal raised by the program itself is handled before raise returns.
    return std::raise(request) == 0;
}

} // namespace kestrel::testing
