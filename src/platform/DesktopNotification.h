#pragma once

#include <string>

// Telling the desktop user about a run nobody watched, through the desktop's notification
// service (freedesktop's org.freedesktop.Notifications on the session bus; none on Windows yet).
namespace kestrel::platform {

enum class NoticeUrgency { Normal, Critical };

// Shows a notification with `title` and `text`. False where there is no session bus or no
// notification service: then nothing is shown and nothing else happens. Waits a few seconds at
// most for the service's answer.
bool notifyDesktop(const std::string& title, const std::string& text, NoticeUrgency urgency);

} // namespace kestrel::platform
