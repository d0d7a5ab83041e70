#include "forms/FormsCommon.h"

#include "modules/Language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace kestrel::forms {

QString DisplayText(const std::string& text) {
    QString shown = Qs(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QString ControlName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

void SetFormFontName(QWidget* form, const QString& fontName) {
    const auto apply = [&](QWidget* widget) {
        QFont font = widget->font();
        font.setFamily(fontName);
        widget->setFont(font);
    };
    for (QWidget* child : form->findChildren<QWidget*>()) {
        const bool textBox = qobject_cast<QLineEdit*>(child) != nullptr ||
                             qobject_cast<QPlainTextEdit*>(child) != nullptr ||
                             qobject_cast<QTextEdit*>(child) != nullptr;
        if (textBox) {
            // A text box would otherwise inherit the font of the frame it sits in.
            if (!child->testAttribute(Qt::WA_SetFont))
                child->setFont(QApplication::font(child));
            continue;
        }
        if (qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
            qobject_cast<QComboBox*>(child) || qobject_cast<QFrame*>(child) ||
            qobject_cast<QGroupBox*>(child))
            apply(child);
    }
}

bool SetFocusIfUsable(QWidget* widget) {
    if (widget == nullptr || !widget->isVisible() || !widget->isEnabled())
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    return true;
}

QString ProgramTitle() {
    const std::string title = GetProgramText(31);
    return title.empty() ? QStringLiteral("Kestrel Backup") : Qs(title);
}

} // namespace kestrel::forms
