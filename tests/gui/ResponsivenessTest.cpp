#include "GuiTestSupport.h"

#include "support/CopyFaultGuard.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace kestrel::testing {
namespace {

// Holds every copy before its first byte until the gate opens (or the hold ends).
class CopyHold {
public:
    CopyHold() = default;
    ~CopyHold() { gate->open(); }
    CopyHold(const CopyHold&) = delete;
    CopyHold& operator=(const CopyHold&) = delete;
    const std::shared_ptr<Gate> gate = Gate::make();

private:
    CopyFaultGuard fault_{[gate = gate](const std::string&, const std::string&) {
        gate->pass();
        return platform::Error{};
    }};
};

class ResponsivenessTest : public GuiTest {};

// While a file is being copied on the operation's thread, the window's event loop keeps
// turning: its timers fire and what is posted to it runs. The copy is held by a gate, so the
// test does not depend on how long a copy takes.
TEST_F(ResponsivenessTest, TheWindowKeepsTurningWhileAFileIsCopied) {
    tmp.createFile("source/large.bin", std::string(1 << 20, 'L'));
    kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.createFolder("target"));
    setup.txbReportFile = tmp.path("report.txt");
    WriteLastRun(setup);
    auto window = StartWindow();
    ModalScript script;
    script.thenClick("cmdYes");
    CopyHold hold; // after the window: the copy is let go before the window goes

    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    ASSERT_TRUE(WaitFor([&] { return script.done() && hold.gate->arrivals() == 1; }));

    // The copy is under way on the operation's thread and cannot end before the gate opens.
    QTimer timer;
    timer.setSingleShot(true);
    QSignalSpy fired(&timer, &QTimer::timeout);
    timer.start(10);
    ASSERT_TRUE(fired.wait(60000)) << "a timer of the window thread fires during the copy";
    bool posted = false;
    QMetaObject::invokeMethod(
        window.get(), [&posted] { posted = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(WaitFor([&] { return posted; })) << "what is posted to the window runs during the copy";
    EXPECT_TRUE(window->operationRunning());
    EXPECT_FALSE(tmp.exists("target/large.bin"));

    hold.gate->open();
    ASSERT_TRUE(WaitForOperation(*window));
    EXPECT_EQ(hold.gate->arrivals(), 1);
    EXPECT_EQ(tmp.readFile("target/large.bin").size(), std::size_t(1) << 20);
}

} // namespace
} // namespace kestrel::testing
