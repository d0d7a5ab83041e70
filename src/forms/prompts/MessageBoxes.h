#pragma once

#include "modules/MessageBox.h"

class QWidget;

namespace kestrel::forms {

// Shows a message box as the program asks for it (text, title, buttons, icon, default button)
// modally over `parent`, and returns the button pressed. Closing the box with its frame or Esc
// gives the answer of its Cancel or No button (OK when it has only OK).
MessageAnswer ShowMessageBox(QWidget* parent, const MessageRequest& request);

// The message boxes the windows show themselves.
MessageAnswer ShowMessageBox(QWidget* parent, const std::string& text, const std::string& title,
                             MessageButtons buttons = MessageButtons::Ok,
                             MessageIcon icon = MessageIcon::None, int defaultButton = 1);

// Message boxes of the windows for the engine layers that ask through a MessageService.
class WindowMessageService : public MessageService {
public:
    explicit WindowMessageService(QWidget* parent) : parent_(parent) {}
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        return ShowMessageBox(parent_, request);
    }

private:
    QWidget* parent_;
};

} // namespace kestrel::forms
