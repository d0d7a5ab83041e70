#include "forms/main/ShutdownPopUp.h"

#include "forms/FormsCommon.h"
#include "forms/prompts/frmPopUp.h"

#include <QWidget>

#include <algorithm>

namespace kestrel::forms {

namespace {

// The pop-up's corner in twips from the main window's corner.
QPoint OffsetTwips(const QRect& mainWindowFrame, const ShutdownPopUp& popUp) {
    const int top = Twips(mainWindowFrame.height()) - popUp.heightTwips - popUp.bottomMarginTwips;
    const int left = (Twips(mainWindowFrame.width()) - popUp.widthTwips) / 2;
    return {left, top};
}

} // namespace

QRect ShutdownPopUpGeometry(const QRect& mainWindowFrame, const ShutdownPopUp& popUp) {
    const QPoint offset = OffsetTwips(mainWindowFrame, popUp);
    return {Px(Twips(mainWindowFrame.left()) + offset.x()), Px(Twips(mainWindowFrame.top()) + offset.y()),
            Px(popUp.widthTwips), Px(popUp.heightTwips)};
}

bool WindowShutdownPrompt::Show(const ShutdownPopUp& popUp, int intervalMs) {
    const QRect frame = mainWindow_ != nullptr ? mainWindow_->frameGeometry() : QRect();
    const QPoint offset = OffsetTwips(frame, popUp);
    return forms::PopUpInForm(mainWindow_, DisplayText(popUp.text), popUp.widthTwips, popUp.heightTwips,
                              intervalMs, offset.y(), offset.x());
}

bool WindowShutdownPrompt::PopUpInForm(const ShutdownPopUp& popUp) {
    if (powerOffRunner_ == nullptr)
        return Show(popUp, popUp.intervalMs);
    const int untilPowerOff = std::clamp(delayMs_, 0, popUp.intervalMs);
    if (Show(popUp, untilPowerOff))
        return true;
    // The stated delay has passed without a click.
    platform::PowerOffNow(*powerOffRunner_, kShutdownComment);
    const int rest = popUp.intervalMs - untilPowerOff;
    return rest > 0 && Show(popUp, rest);
}

} // namespace kestrel::forms
