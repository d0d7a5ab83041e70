#pragma once

#include "forms/main/QtInteraction.h"
#include "forms/main/frmMain.h"
#include "forms/prompts/FileDialogs.h"
#include "forms/select/frmSelectSubfolders.h"
#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "platform/SettingsStore.h"
#include "setup/Setup.h"
#include "support/Gate.h"
#include "support/TempDir.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::testing {

// Finds a control of a window by its objectName ("txbDirectory(1)"); fails the test when missing.
template <class T> T* Find(QWidget* root, const QString& name) {
    T* widget = root->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << "no control " << name.toStdString();
    return widget;
}

// Lets the window thread run until `done` holds or `timeoutMs` passes; true when it holds.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 60000);

// The folder browser and file dialogs answered from a script.
class ScriptedDialogs : public forms::FileDialogs {
public:
    void answerFolder(const std::string& path) { folders_.push_back(path); }
    void answerFile(const std::string& path) { files_.push_back(path); }
    std::string BrowseForFolder(QWidget*, const std::string& title) override;
    std::string GetOpenFileName(QWidget*, const std::string& title, const std::string&) override;
    std::string GetSaveFileName(QWidget*, const std::string& title, const std::string&) override;
    const std::vector<std::string>& titles() const { return titles_; }
    bool exhausted() const { return folders_.empty() && files_.empty(); }

private:
    std::deque<std::string> folders_;
    std::deque<std::string> files_;
    std::vector<std::string> titles_;
};

// Answers the modal windows as they appear (QApplication::activeModalWidget), one handler each,
// in order, and records what each showed. A modal window with no handler left is recorded as
// unexpected and closed.
class ModalScript : public QObject {
public:
    using Handler = std::function<void(QWidget*)>;
    struct Seen {
        QString objectName;
        QString title;
        QString text; // a message box's text, LF line ends
    };

    ModalScript();
    ~ModalScript() override;

    void then(Handler handler) { handlers_.push_back({{}, std::move(handler)}); }
    // A window answered once `ready` holds for it, looked at again at each poll: the window's
    // own event loop runs meanwhile. (A handler must not wait for the window's work itself: it
    // runs from a posted event, and events posted meanwhile by other threads wait until it
    // returns.)
    void thenWhen(std::function<bool(QWidget*)> ready, Handler handler) {
        handlers_.push_back({std::move(ready), std::move(handler)});
    }
    // A modal window the test shows and drives itself: never answered nor recorded, also when
    // it becomes the active modal window again after a message over it closed.
    void ignore(QWidget* window) { ignored_.emplace_back(window); }
    // A message box answered with one of its buttons.
    void thenMessage(QMessageBox::StandardButton button);
    // A window answered by clicking its child button of that objectName (after `prepare`).
    void thenClick(const char* buttonName, std::function<void(QWidget*)> prepare = {});

    const std::vector<Seen>& seen() const { return seen_; }
    const std::vector<Seen>& unexpected() const { return unexpected_; }
    bool done() const { return handlers_.empty(); }

private:
    void Poll();

    QTimer timer_;
    QPointer<QWidget> last_;
    std::vector<QPointer<QWidget>> ignored_;
    struct Step {
        std::function<bool(QWidget*)> ready;
        Handler handler;
    };
    std::deque<Step> handlers_;
    std::vector<Seen> seen_;
    std::vector<Seen> unexpected_;
};

// Every GUI test: its own settings folder, data folder and clock; the program texts loaded;
// file dialogs answered from the script; no operation waits for the full-text-box pause.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A main window after start-up with the command line; its program end is only recorded.
    std::unique_ptr<forms::frmMain> StartWindow(const QString& commandLine = QString());
    // Saves the setup as the last run's.
    void WriteLastRun(const kestrel::Setup& setup);
    // The last run's file as text, "" when there is none.
    std::string LastRunText() const;
    // Waits for the running operation of the window to end.
    bool WaitForOperation(forms::frmMain& window, int timeoutMs = 60000);

    TempDir tmp;
    ScriptedDialogs dialogs;
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 14, 5, 0, 60}};
    platform::NumberFormat numberFormat;
    int programEnds = 0;

private:
    std::string oldConfigHome_;
    std::string oldDataHome_;
    bool hadConfigHome_ = false;
    bool hadDataHome_ = false;
    std::optional<platform::ScopedSettingsFileForTesting> settingsFile_;
    std::optional<forms::ScopedSleepScaleForTesting> noSleep_;
};

// Holds the subfolder selection window's reading before the subfolder of index `held` (the
// ones before it are read and shown), until `gate->open()` or the end of the hold.
class SubfolderReadingHold {
public:
    explicit SubfolderReadingHold(std::size_t held);
    ~SubfolderReadingHold();
    SubfolderReadingHold(const SubfolderReadingHold&) = delete;
    SubfolderReadingHold& operator=(const SubfolderReadingHold&) = delete;
    const std::shared_ptr<Gate> gate = Gate::make();

private:
    forms::ScopedSubfolderReadingHookForTesting hook_;
};

// Holds the operation's full-text-box wait until `gate->open()` or the end of the hold; the
// gate counts an arrival each time the waiting operation looks at it.
class SleepHold {
public:
    SleepHold();
    ~SleepHold();
    SleepHold(const SleepHold&) = delete;
    SleepHold& operator=(const SleepHold&) = delete;
    const std::shared_ptr<Gate> gate = Gate::make();

private:
    forms::ScopedSleepHoldForTesting hold_;
};

// A setup of a source and a target folder, with nothing else chosen.
kestrel::Setup FolderSetup(const std::string& source, const std::string& target);

} // namespace kestrel::testing
