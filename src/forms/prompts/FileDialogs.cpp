#include "forms/prompts/FileDialogs.h"

#include "forms/FormsCommon.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace kestrel::forms {

namespace {

// "description (*.ext) | *.ext" becomes Qt's "description (*.ext)".
QString QtFilter(const std::string& filter) {
    const QString text = Qs(filter);
    const int bar = text.indexOf(QLatin1Char('|'));
    return (bar < 0 ? text : text.left(bar)).trimmed();
}

// Qt's dialogs write "/" on every system; the program's paths are in the system's own separators.
std::string Chosen(const QString& path) {
    return Ss(QDir::toNativeSeparators(path));
}

FileDialogs systemDialogs;
FileDialogs* current = &systemDialogs;

} // namespace

std::string FileDialogs::BrowseForFolder(QWidget* owner, const std::string& title) {
    return Chosen(
        QFileDialog::getExistingDirectory(owner, Qs(title), Qs(startFolder()), QFileDialog::ShowDirsOnly));
}

std::string FileDialogs::GetOpenFileName(QWidget* owner, const std::string& title,
                                         const std::string& filter) {
    return Chosen(QFileDialog::getOpenFileName(owner, Qs(title), Qs(startFolder()), QtFilter(filter)));
}

std::string FileDialogs::GetSaveFileName(QWidget* owner, const std::string& title,
                                         const std::string& filter) {
    return Chosen(QFileDialog::getSaveFileName(owner, Qs(title), Qs(startFolder()), QtFilter(filter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

FileDialogs& fileDialogs() {
    return *current;
}

void setFileDialogs(FileDialogs* dialogs) {
    current = dialogs != nullptr ? dialogs : &systemDialogs;
}

} // namespace kestrel::forms
