#include "forms/FormsCommon.h"

#include "modules/Language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace kestrel::forms {

namespace {

// The dynamic property that keeps a control's text number.
constexpr const char* kTextNumberProperty = "programText";

void ShowProgramText(QWidget* control) {
    const QVariant number = control->property(kTextNumberProperty);
    if (!number.isValid())
        return;
    const QString text = Pt(number.toInt());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(text);
    else if (control->isWindow())
        control->setWindowTitle(text);
}

} // namespace

QString Pt(int n) {
    return Qs(GetProgramText(n));
}

void SetProgramText(QWidget* control, int n) {
    control->setProperty(kTextNumberProperty, n);
    ShowProgramText(control);
}

void ShowProgramTexts(QWidget* window) {
    ShowProgramText(window);
    for (QWidget* child : window->findChildren<QWidget*>())
        ShowProgramText(child);
}

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

QString PlainCaption(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            // "&&" shows one "&"; a single "&" only marks the shortcut's letter.
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&'))
                plain += caption[++i];
            continue;
        }
        plain += caption[i];
    }
    return plain;
}

QString Caption(const QAbstractButton* button) {
    return button != nullptr ? PlainCaption(button->text()) : QString();
}

void OrderTabsByPosition(QWidget* window) {
    struct Stop {
        QWidget* widget;
        QRect rect;
    };
    std::vector<Stop> stops;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!(child->focusPolicy() & Qt::TabFocus) || child->window() != window ||
            child->focusProxy() != nullptr || !child->isVisibleTo(window))
            continue;
        // The inner parts of a compound control (a combo box's list, a scroll area's bars) keep
        // the order their control gives them.
        bool inner = false;
        for (QWidget* parent = child->parentWidget(); parent != nullptr && parent != window;
             parent = parent->parentWidget()) {
            if ((parent->focusPolicy() & Qt::TabFocus) && parent->isVisibleTo(window))
                inner = true;
        }
        if (!inner)
            stops.push_back({child, QRect(child->mapTo(window, QPoint(0, 0)), child->size())});
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop& a, const Stop& b) { return a.rect.center().y() < b.rect.center().y(); });
    // Controls whose middles lie within half a control's height of a row's first control make one
    // row; a row reads left to right.
    for (std::size_t first = 0; first < stops.size();) {
        std::size_t end = first + 1;
        const int rowMiddle = stops[first].rect.center().y();
        const int tolerance = std::max(4, stops[first].rect.height() / 2);
        while (end < stops.size() && stops[end].rect.center().y() - rowMiddle <= tolerance)
            ++end;
        std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(first),
                         stops.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const Stop& a, const Stop& b) { return a.rect.left() < b.rect.left(); });
        first = end;
    }
    for (std::size_t i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1].widget, stops[i].widget);
}

namespace {

// The letter a caption's shortcut marks, lower case, or a null character.
QChar MnemonicOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption[i + 1].toLower();
    }
    return QChar();
}

} // namespace

void AssignMnemonics(QWidget* window, const std::function<bool(const QAbstractButton*)>& skip) {
    QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
    // Push buttons first: where letters run out, a check box goes without.
    std::stable_partition(buttons.begin(), buttons.end(), [](const QAbstractButton* b) {
        return qobject_cast<const QPushButton*>(b) != nullptr;
    });
    // A caption several controls share ("Clear", "Load" in each row) names no single command.
    QHash<QString, int> captionCount;
    for (const QAbstractButton* button : buttons)
        ++captionCount[PlainCaption(button->text())];
    // Only what the user can see and reach competes for letters: a frame's buttons take the
    // letters of the controls hidden while it is open.
    QString taken;
    for (const QAbstractButton* button : buttons) {
        if (!button->isVisibleTo(window))
            continue;
        const QChar letter = MnemonicOf(button->text());
        if (!letter.isNull())
            taken += letter;
    }
    for (QAbstractButton* button : buttons) {
        const QString caption = button->text();
        if (caption.isEmpty() || !button->isVisibleTo(window) || !MnemonicOf(caption).isNull() ||
            captionCount.value(caption) > 1 || (skip && skip(button)))
            continue;
        qsizetype chosen = -1;
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (qsizetype i = 0; i < caption.size(); ++i) {
                const QChar c = caption[i];
                if (c == QLatin1Char('&')) {
                    ++i; // "&&", a shown "&"
                    continue;
                }
                const bool wordStart = i == 0 || !caption[i - 1].isLetterOrNumber();
                if (c.isLetterOrNumber() && (pass == 1 || wordStart) && !taken.contains(c.toLower())) {
                    chosen = i;
                    break;
                }
            }
        }
        if (chosen < 0)
            continue;
        taken += caption[chosen].toLower();
        QString marked = caption;
        marked.insert(chosen, QLatin1Char('&'));
        button->setText(marked);
    }
}

} // namespace kestrel::forms
