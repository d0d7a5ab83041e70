#pragma once

#include "engine/Shutdown.h"

#include <QRect>

class QWidget;

namespace kestrel::forms {

// The pending shutdown's pop-up over the main window, centred near its bottom; a click on it
// calls the shutdown off.
class WindowShutdownPrompt : public ShutdownPrompt {
public:
    explicit WindowShutdownPrompt(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    bool PopUpInForm(const ShutdownPopUp& popUp) override;

private:
    QWidget* mainWindow_;
};

// Where the pop-up lies on the screen, in pixels, over a main window of that frame.
QRect ShutdownPopUpGeometry(const QRect& mainWindowFrame, const ShutdownPopUp& popUp);

} // namespace kestrel::forms
