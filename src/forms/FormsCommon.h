#pragma once

#include <QString>

#include <functional>
#include <string>

class QAbstractButton;
class QWidget;

// Small helpers every window of the desktop program uses.
namespace kestrel::forms {

// Window sizes and positions are kept in twips where the program states them: 15 twips make one
// pixel at 96 dpi.
constexpr int kTwipsPerPixel = 15;
inline int Px(int twips) {
    return twips / kTwipsPerPixel;
}
inline int Twips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Texts cross between the engine (UTF-8 std::string) and Qt.
inline QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string Ss(const QString& text) {
    return text.toStdString();
}
// Program text n as Qt shows it.
QString Pt(int n);
// Gives a control program text n as its caption (a window: as its title) and keeps the number,
// so that ShowProgramTexts can give it again.
void SetProgramText(QWidget* control, int n);
// Gives every control of the window that keeps a text number (the window itself included) its
// text anew: the main window is built before the program texts are loaded.
void ShowProgramTexts(QWidget* window);

// A report or message text with CR LF line ends, as a widget shows it (LF line ends).
QString DisplayText(const std::string& text);

// The objectName of an element of a control array: "txbDirectory(1)".
QString ControlName(const char* name, int index);

// The font of the program's labels, buttons, check boxes, option buttons, frames and combo
// boxes; text boxes keep their own.
inline const char* kFormFont = "Arial";
// The font of the report text.
inline const char* kReportFont = "Courier New";
void SetFormFontName(QWidget* form, const QString& fontName);

// Gives the widget the focus when it is visible and enabled; true when it did.
bool SetFocusIfUsable(QWidget* widget);

// The title of the program's own message boxes when no other is given.
QString ProgramTitle();

// Captions carry an Alt shortcut as an "&" before their letter ("&Quit"); the program's own
// texts taken from a caption (a message title, a comparison) are the caption without it.
QString PlainCaption(const QString& caption);
QString Caption(const QAbstractButton* button);

// Gives each button and check box of the window that has none an Alt shortcut: the first letter
// of one of its words not yet taken in the window, else any free letter of its caption. Controls
// repeated in rows (`skip` says which) are left without. Run again after captions change.
void AssignMnemonics(QWidget* window, const std::function<bool(const QAbstractButton*)>& skip = {});

// Tab goes through the window's controls as the eye reads them: row by row from the top, left to
// right within a row. Run once the window is laid out (again when controls come or go).
void OrderTabsByPosition(QWidget* window);

} // namespace kestrel::forms
