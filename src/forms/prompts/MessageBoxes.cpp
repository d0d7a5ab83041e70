#include "forms/prompts/MessageBoxes.h"

#include "forms/FormsCommon.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace kestrel::forms {

namespace {

std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> ButtonsOf(MessageButtons buttons) {
    using B = QMessageBox;
    switch (buttons) {
    case MessageButtons::Ok:
        return {{B::Ok, MessageAnswer::Ok}};
    case MessageButtons::OkCancel:
        return {{B::Ok, MessageAnswer::Ok}, {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
        return {{B::Yes, MessageAnswer::Yes}, {B::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
        return {{B::Yes, MessageAnswer::Yes}, {B::No, MessageAnswer::No}, {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::RetryCancel:
        return {{B::Retry, MessageAnswer::Retry}, {B::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{B::Abort, MessageAnswer::Abort},
                {B::Retry, MessageAnswer::Retry},
                {B::Ignore, MessageAnswer::Ignore}};
    }
    return {{B::Ok, MessageAnswer::Ok}};
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without a button: its Cancel, else its No, else its OK.
MessageAnswer EscapeAnswer(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    default:
        return MessageAnswer::Cancel;
    }
}

} // namespace

MessageAnswer ShowMessageBox(QWidget* parent, const MessageRequest& request) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(request.title.empty() ? ProgramTitle() : Qs(request.title));
    // Paths may hold "<" or "&": the text is shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.setText(DisplayText(request.text));
    box.setIcon(IconOf(request.icon));

    const auto buttons = ButtonsOf(request.buttons);
    std::vector<std::pair<QAbstractButton*, MessageAnswer>> added;
    for (const auto& [standard, answer] : buttons)
        added.emplace_back(box.addButton(standard), answer);
    // The buttons' captions are the program's own texts, not the toolkit's.
    for (const auto& [button, answer] : added)
        button->setText(Qs(AnswerCaption(answer)));
    const std::size_t defaultIndex =
        request.defaultButton >= 1 && static_cast<std::size_t>(request.defaultButton) <= added.size()
            ? static_cast<std::size_t>(request.defaultButton) - 1
            : 0;
    box.setDefaultButton(qobject_cast<QPushButton*>(added[defaultIndex].first));
    if (request.buttons == MessageButtons::YesNo)
        box.setEscapeButton(added[1].first);

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : added) {
        if (button == clicked)
            return answer;
    }
    return EscapeAnswer(request.buttons);
}

MessageAnswer ShowMessageBox(QWidget* parent, const std::string& text, const std::string& title,
                             MessageButtons buttons, MessageIcon icon, int defaultButton) {
    MessageRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    request.defaultButton = defaultButton;
    return ShowMessageBox(parent, request);
}

} // namespace kestrel::forms
