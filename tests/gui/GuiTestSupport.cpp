#include "GuiTestSupport.h"

#include "forms/main/OperationEntries.h"
#include "forms/main/QtInteraction.h"
#include "forms/select/frmSelectSubfolders.h"
#include "modules/Language.h"
#include "platform/SettingsStore.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kestrel::testing {

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

std::string ScriptedDialogs::BrowseForFolder(QWidget*, const std::string& title) {
    titles_.push_back(title);
    if (folders_.empty()) {
        ADD_FAILURE() << "unexpected folder browser: " << title;
        return {};
    }
    std::string path = folders_.front();
    folders_.pop_front();
    return path;
}

std::string ScriptedDialogs::GetOpenFileName(QWidget*, const std::string& title, const std::string&) {
    titles_.push_back(title);
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << title;
        return {};
    }
    std::string path = files_.front();
    files_.pop_front();
    return path;
}

std::string ScriptedDialogs::GetSaveFileName(QWidget* owner, const std::string& title,
                                             const std::string& filter) {
    return GetOpenFileName(owner, title, filter);
}

ModalScript::ModalScript() {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
    timer_.start();
}

ModalScript::~ModalScript() = default;

void ModalScript::thenMessage(QMessageBox::StandardButton button) {
    then([button](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr) << "expected a message box, got " << window->objectName().toStdString();
        QAbstractButton* pressed = box->button(button);
        ASSERT_NE(pressed, nullptr) << "the message box has not that button: " << box->text().toStdString();
        pressed->click();
    });
}

void ModalScript::thenClick(const char* buttonName, std::function<void(QWidget*)> prepare) {
    then([buttonName, prepare = std::move(prepare)](QWidget* window) {
        if (prepare)
            prepare(window);
        auto* button = window->findChild<QAbstractButton*>(QLatin1String(buttonName));
        ASSERT_NE(button, nullptr) << "no button " << buttonName << " in "
                                   << window->objectName().toStdString();
        button->click();
    });
}

void ModalScript::Poll() {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || !window->isVisible() || window == last_.data())
        return;
    for (const QPointer<QWidget>& ignored : ignored_) {
        if (ignored.data() == window)
            return;
    }
    if (!handlers_.empty() && handlers_.front().ready && !handlers_.front().ready(window))
        return; // looked at again at the next poll
    last_ = window;
    Seen seen{window->objectName(), window->windowTitle(), QString()};
    if (auto* box = qobject_cast<QMessageBox*>(window))
        seen.text = box->text();
    seen_.push_back(seen);
    if (handlers_.empty()) {
        unexpected_.push_back(seen);
        QPointer<QWidget> target = window;
        QTimer::singleShot(0, this, [target] {
            if (auto* dialog = qobject_cast<QDialog*>(target.data()))
                dialog->reject();
            else if (target)
                target->close();
        });
        return;
    }
    Handler handler = std::move(handlers_.front().handler);
    handlers_.pop_front();
    // Answered after this poll returns: an answer that opens another modal window (a message
    // of the window) must find the poll free to answer that one too.
    QPointer<QWidget> target = window;
    QTimer::singleShot(0, this, [handler = std::move(handler), target] {
        if (target)
            handler(target.data());
    });
}

namespace {

std::string Getenv(const char* name, bool& had) {
    const char* value = std::getenv(name);
    had = value != nullptr;
    return had ? value : "";
}

void Restore(const char* name, bool had, const std::string& value) {
    if (had)
        ::setenv(name, value.c_str(), 1);
    else
        ::unsetenv(name);
}

} // namespace

void GuiTest::SetUp() {
    oldConfigHome_ = Getenv("XDG_CONFIG_HOME", hadConfigHome_);
    oldDataHome_ = Getenv("XDG_DATA_HOME", hadDataHome_);
    tmp.createFolder("config");
    tmp.createFolder("data");
    ::setenv("XDG_CONFIG_HOME", tmp.path("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", tmp.path("data").c_str(), 1);
    settingsFile_.emplace(tmp.path("config/kestrel-backup/settings.ini"));
    platform::setClock(&clock);
    platform::setNumberFormat(&numberFormat);
    ASSERT_GT(LoadProgramText("zbk.dat"), 0);
    forms::setFileDialogs(&dialogs);
    noSleep_.emplace(0.0);
}

void GuiTest::TearDown() {
    forms::setFileDialogs(nullptr);
    noSleep_.reset();
    platform::setClock(nullptr);
    platform::setNumberFormat(nullptr);
    settingsFile_.reset();
    Restore("XDG_CONFIG_HOME", hadConfigHome_, oldConfigHome_);
    Restore("XDG_DATA_HOME", hadDataHome_, oldDataHome_);
    // Windows closed by the test are deleted before the next one starts.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::unique_ptr<forms::frmMain> GuiTest::StartWindow(const QString& commandLine) {
    auto window = std::make_unique<forms::frmMain>();
    window->setEndProgram([this] { ++programEnds; });
    EXPECT_TRUE(window->Form_Load(commandLine));
    return window;
}

void GuiTest::WriteLastRun(const kestrel::Setup& setup) {
    ASSERT_TRUE(SaveSetupForNextRun(setup));
}

std::string GuiTest::LastRunText() const {
    std::ifstream in(LastRunFile(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool GuiTest::WaitForOperation(forms::frmMain& window, int timeoutMs) {
    return WaitFor([&] { return !window.operationRunning(); }, timeoutMs);
}

SubfolderReadingHold::SubfolderReadingHold(std::size_t held)
    : hook_([gate = gate, held](std::size_t index) {
          if (index == held)
              gate->pass();
      }) {}

SubfolderReadingHold::~SubfolderReadingHold() {
    // Opened first: a window destroyed after the hold waits for its reading to end.
    gate->open();
}

SleepHold::SleepHold() : hold_([gate = gate] { return gate->knock(); }) {}

SleepHold::~SleepHold() {
    gate->open();
}

kestrel::Setup FolderSetup(const std::string& source, const std::string& target) {
    kestrel::Setup setup;
    ClearSetup(setup);
    setup.txbDirectory[0] = source;
    setup.txbDirectory[1] = target;
    return setup;
}

} // namespace kestrel::testing
