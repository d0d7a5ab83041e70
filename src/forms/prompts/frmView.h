#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace kestrel::forms {

// Shows a plain text file, read-only, in a resizable window; the help text uses it.
class frmView : public QWidget {
    Q_OBJECT
public:
    explicit frmView(QWidget* parent = nullptr);

    // The full path of the file to show; set before the window is shown.
    QString strFilename;
    // Set once the file has been put into the text box.
    bool blnFileDisplayed = false;

    // The text box shows at most this many characters of a file.
    static constexpr int kDisplayLimit = 65530;
    // What the text box shows of a file's text.
    static QString DisplayedText(const QString& fileText);

    QPlainTextEdit* txbText1() const { return txbText1_; }

    // Reads the file anew into the text box (each time the window is shown).
    void Form_Activate();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPlainTextEdit* txbText1_;
    QPushButton* cmdClose_;
};

} // namespace kestrel::forms
