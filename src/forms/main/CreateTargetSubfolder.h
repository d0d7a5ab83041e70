#pragma once

#include <QPoint>

#include <functional>
#include <string>

class QWidget;

namespace kestrel::forms {

// What "Create subfolder" needs of the main window: the folders, where its input box opens,
// and the main window's own procedures for the target folder.
struct CreateTargetSubfolderHost {
    QWidget* window = nullptr;
    std::string caption; // the button's caption, which titles every message
    std::string sourceFolder;
    std::string targetFolder; // a folder value ending in "/"
    QPoint inputBoxPosition;  // on the screen, in pixels
    // The target-against-source rules; shows its own message and returns false on a refusal.
    std::function<bool(const std::string& folder)> CheckTargetAgainstSource;
    // Stores a new target folder ("" to empty it) and refreshes its display.
    std::function<void(const std::string& folder)> SetTargetFolder;
    std::function<void()> ForgetSelectedSetupFile;
};

// Creates a folder directly inside the target folder, named by the user (the source folder's
// name is proposed), and offers to make it the target.
void CreateTargetSubfolder(const CreateTargetSubfolderHost& host);

// The name typed for the new folder without its separators: a name is one folder, never a
// path. "" when nothing usable is left ("." and ".." name no new folder).
std::string NewFolderName(const std::string& typed);

} // namespace kestrel::forms
