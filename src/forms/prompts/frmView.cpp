#include "forms/prompts/frmView.h"

#include "forms/FormsCommon.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace kestrel::forms {

namespace {

// The notes above and below a file shown in part.
QString HeadNote() {
    // The viewer's text keeps CR LF line ends, as the file it shows does.
    return Pt(1603).replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n");
}
QString TailNote() {
    return Pt(1604) + QStringLiteral("\r\n");
}

// Characters as the text box counts them: a character outside the basic plane is one, not two.
int CharacterCount(const QString& text) {
    return static_cast<int>(text.toUcs4().size());
}

QString FirstCharacters(const QString& text, int n) {
    const QList<uint> characters = text.toUcs4();
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), n);
}

} // namespace

frmView::frmView(QWidget* parent)
    : QWidget(parent, Qt::Window), txbText1_(new QPlainTextEdit(this)), cmdClose_(new QPushButton(this)) {
    setObjectName(QStringLiteral("frmView"));
    SetProgramText(this, 1605);
    txbText1_->setObjectName(QStringLiteral("txbText1"));
    txbText1_->setReadOnly(true);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));

    // The text box takes all but 320 twips of the width and 1200 of the height; the button
    // sits 100 twips below it, centred.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(Px(160), Px(160), Px(160), Px(160));
    layout->setSpacing(Px(100));
    layout->addWidget(txbText1_, 1);
    layout->addWidget(cmdClose_, 0, Qt::AlignHCenter);
    setMinimumSize(Px(4000), Px(3000));
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::hide);
    // Enter on the focused Close button presses it.
    cmdClose_->setAutoDefault(true);
    SetFormFontName(this, QLatin1String(kFormFont));
}

QString frmView::DisplayedText(const QString& fileText) {
    if (CharacterCount(fileText) < kDisplayLimit)
        return fileText;
    const int kept = kDisplayLimit - CharacterCount(HeadNote()) - CharacterCount(TailNote());
    return HeadNote() + FirstCharacters(fileText, kept) + QStringLiteral("\r\n\r\n") + TailNote();
}

void frmView::keyPressEvent(QKeyEvent* event) {
    // Escape closes the viewer as its Close button does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdClose_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Activate();
}

void frmView::Form_Activate() {
    cmdClose_->setText(QLatin1Char('&') + Pt(58));
    txbText1_->clear();
    blnFileDisplayed = false;
    // A file that cannot be read leaves the box empty, without a message.
    QFile file(strFilename);
    if (!strFilename.isEmpty() && file.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(file.readAll());
        QString shown = DisplayedText(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        txbText1_->setPlainText(shown);
    }
    txbText1_->moveCursor(QTextCursor::Start);
    blnFileDisplayed = true;
}

} // namespace kestrel::forms
