#pragma once

#include "engine/Shutdown.h"

#include <QRect>

class QWidget;

namespace kestrel::forms {

// The pending shutdown's pop-up over the main window, centred near its bottom; a click on it
// calls the shutdown off.
//
// The pop-up says the computer shuts down in about 30 seconds, and the system's shutdown
// command counts its delay in whole minutes. Given a runner, the window holds the delay itself:
// when `delayMs` passes without a click it asks the system for the power-off at once. Should the
// program still run afterwards (the power-off was refused), the pop-up stays for the rest of its
// interval and a click still calls the pending shutdown off.
class WindowShutdownPrompt : public ShutdownPrompt {
public:
    explicit WindowShutdownPrompt(QWidget* mainWindow, platform::CommandRunner* powerOffRunner = nullptr,
                                  int delayMs = kShutdownDelayMs)
        : mainWindow_(mainWindow), powerOffRunner_(powerOffRunner), delayMs_(delayMs) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override;

    // The delay the pop-up's text states.
    static constexpr int kShutdownDelayMs = 30000;

private:
    bool Show(const ShutdownPopUp& popUp, int intervalMs);

    QWidget* mainWindow_;
    platform::CommandRunner* powerOffRunner_;
    int delayMs_;
};

// Where the pop-up lies on the screen, in pixels, over a main window of that frame.
QRect ShutdownPopUpGeometry(const QRect& mainWindowFrame, const ShutdownPopUp& popUp);

} // namespace kestrel::forms
