#include "engine/Shutdown.h"

#include <algorithm>

namespace kestrel {

namespace {
constexpr int kLongestPopUpInterval = 65535; // the pop-up timer's limit
}

bool ShutdownComputer(bool blnCancellable, int intInterval, platform::CommandRunner& runner,
                      ShutdownPrompt& prompt, MessageService& messages) {
    platform::ScheduleShutdown(runner, kShutdownComment);
    if (!blnCancellable) {
        return false;
    }

    ShutdownPopUp popUp;
    popUp.text = kShutdownPopUpText;
    popUp.intervalMs = std::clamp(intInterval, 0, kLongestPopUpInterval);
    if (!prompt.PopUpInForm(popUp)) {
        return false;
    }

    platform::CancelShutdown(runner);
    MessageRequest message;
    message.text = kShutdownCancelled;
    // A plain message box: no title of its own, so it bears the program's.
    message.buttons = MessageButtons::Ok;
    message.icon = MessageIcon::None;
    messages.ShowMessage(message);
    return true;
}

} // namespace kestrel
