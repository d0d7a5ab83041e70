#include "platform/DesktopNotification.h"

#include "platform/ProgramPaths.h"

#include <dlfcn.h>

namespace kestrel::platform {

namespace {

using NotifyFunction = int (*)(const char* title, const char* text, int critical);

// The notifier module beside the executable (a build tree), else where an installation puts it.
NotifyFunction loadNotifier() {
    const std::string folder = executableFolder();
    for (const std::string& path : {folder + KESTREL_NOTIFIER_NAME,
                                    folder + KESTREL_NOTIFIER_FROM_BINARIES + "/" + KESTREL_NOTIFIER_NAME}) {
        if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return reinterpret_cast<NotifyFunction>(::dlsym(module, "kestrel_notify_desktop"));
    }
    return nullptr;
}

} // namespace

bool notifyDesktop(const std::string& title, const std::string& text, NoticeUrgency urgency) {
    // Loaded on the first notice and kept: a run that notifies nobody never loads the bus.
    static const NotifyFunction notify = loadNotifier();
    return notify != nullptr && notify(title.c_str(), text.c_str(), urgency == NoticeUrgency::Critical) != 0;
}

} // namespace kestrel::platform
