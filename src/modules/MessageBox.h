#pragma once

#include <string>

namespace kestrel {

// A message box as the program asks for one; whoever shows it (a window, a terminal, a test
// script) answers with the button pressed.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageIcon { None, Information, Exclamation, Question, Critical };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// The caption of the button that gives `answer` ("Yes"): a program text, the same in a window and
// at a terminal's prompt.
std::string AnswerCaption(MessageAnswer answer);

struct MessageRequest {
    std::string text;
    std::string title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    int defaultButton = 1; // 1 = first button, 2 = second, 3 = third
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;
};

} // namespace kestrel
