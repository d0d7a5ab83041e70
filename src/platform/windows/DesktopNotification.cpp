#include "platform/DesktopNotification.h"

namespace kestrel::platform {

// No notification service is used on Windows yet: the status and standard error tell.
bool notifyDesktop(const std::string&, const std::string&, NoticeUrgency) {
    return false;
}

} // namespace kestrel::platform
