#pragma once

#include "modules/MessageBox.h"
#include "platform/CommandRunner.h"

#include <string>

namespace kestrel {

// What the pop-up over the main window shows while a shutdown is pending: a text in a box of
// the given size (twips), centred near the bottom of the main window, for `intervalMs`.
struct ShutdownPopUp {
    std::string text;
    int widthTwips = 6000;
    int heightTwips = 1000;
    int bottomMarginTwips = 300; // between the pop-up's bottom and the main window's bottom
    int intervalMs = 0;
};

// The pop-up that lets the user call off the shutdown (PopUpInForm over the main window).
class ShutdownPrompt {
public:
    virtual ~ShutdownPrompt() = default;
    // Shows the pop-up and holds until it closes: true when the user clicked it, false when its
    // interval ran out.
    virtual bool PopUpInForm(const ShutdownPopUp& popUp) = 0;
};

// The shutdown after an unattended run: asks the system for a delayed power-off, tells the user
// in the pop-up, and calls the shutdown off when the user clicks the pop-up ("Shutdown
// cancelled"). `intInterval` is the pop-up's time in milliseconds (at most 65535). The results
// of the system commands are not looked at: the pop-up comes all the same. True when the user
// cancelled the shutdown.
//
// A pop-up that runs out unclicked leaves the shutdown pending: the power-off is due about when
// the pop-up ends, and calling it off then would undo what the user asked for.
bool ShutdownComputer(bool blnCancellable, int intInterval, platform::CommandRunner& runner,
                      ShutdownPrompt& prompt, MessageService& messages);

// The texts of the shutdown.
inline constexpr const char* kShutdownComment = "Cancellation possible.\r\nSee comment below";
inline constexpr const char* kShutdownPopUpText =
    "\r\nThis computer will shut down in about 30 seconds.\r\nClick here to cancel the shutdown.";
inline constexpr const char* kShutdownCancelled = "Shutdown cancelled";

} // namespace kestrel
