#include "platform/Clock.h"

#include <atomic>

namespace kestrel::platform {

namespace {
std::atomic<const Clock*> currentClock{nullptr};
}

const Clock& clock() {
    static const SystemClock systemClock;
    const Clock* c = currentClock.load();
    return c ? *c : systemClock;
}

void setClock(const Clock* clock) {
    currentClock.store(clock);
}

} // namespace kestrel::platform
