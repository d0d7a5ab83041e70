#include "GuiTestSupport.h"

#include "support/CopyFaultGuard.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace kestrel::testing {
namespace {

class ResponsivenessTest : public GuiTest {};

// While one file takes long to copy, the window's event loop keeps turning: a 10 ms timer on
// the window thread never waits much longer than its interval.
TEST_F(ResponsivenessTest, TheWindowKeepsTurningDuringALongCopy) {
    tmp.createFile("source/large.bin", std::string(1 << 20, 'L'));
    kestrel::Setup setup = FolderSetup(tmp.path("source/"), tmp.createFolder("target"));
    setup.txbReportFile = tmp.path("report.txt");
    WriteLastRun(setup);
    auto window = StartWindow();

    // The copy of the file takes 1.5 seconds on the operation's thread.
    CopyFaultGuard slowCopy([](const std::string&, const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return platform::Error{};
    });
    ModalScript script;
    script.thenClick("cmdYes");

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
        ++ticks;
    });

    Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
    ASSERT_TRUE(WaitFor([&] { return script.done(); }));
    clock.start();
    ticker.start();
    ASSERT_TRUE(WaitForOperation(*window));
    ticker.stop();

    EXPECT_GE(clock.elapsed(), 1400) << "the operation includes the long copy";
    EXPECT_GT(ticks, 50);
    EXPECT_LT(longestGap, 300) << "the window thread was held for " << longestGap << " ms";
    EXPECT_EQ(tmp.readFile("target/large.bin").size(), std::size_t(1) << 20);
}

} // namespace
} // namespace kestrel::testing
