#pragma once

#include <string>

class QWidget;

namespace kestrel::forms {

// The system dialogs that return a path: the folder browser and the file open and save
// dialogs. Each returns the chosen path, or "" when the user cancelled. Tests put their own
// answers in place of the dialogs.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // A folder; the plain browser without a new-folder button.
    virtual std::string BrowseForFolder(QWidget* owner, const std::string& title);
    // `filter` is given as "description (*.ext) | *.ext".
    virtual std::string GetOpenFileName(QWidget* owner, const std::string& title, const std::string& filter);
    // Never asks about overwriting: the caller has its own question for an existing file.
    virtual std::string GetSaveFileName(QWidget* owner, const std::string& title, const std::string& filter);

    // The folder the dialogs open in ("" for the system's choice): the setups folder for setup
    // files, the folder being changed for a folder. Held by a StartFolder for one dialog.
    const std::string& startFolder() const { return startFolder_; }

    class StartFolder {
    public:
        StartFolder(FileDialogs& dialogs, std::string folder)
            : dialogs_(dialogs), old_(dialogs.startFolder_) {
            dialogs_.startFolder_ = std::move(folder);
        }
        ~StartFolder() { dialogs_.startFolder_ = old_; }
        StartFolder(const StartFolder&) = delete;
        StartFolder& operator=(const StartFolder&) = delete;

    private:
        FileDialogs& dialogs_;
        std::string old_;
    };

private:
    std::string startFolder_;
};

FileDialogs& fileDialogs();
// Tests answer the dialogs; nullptr returns to the system dialogs.
void setFileDialogs(FileDialogs* dialogs);

} // namespace kestrel::forms
