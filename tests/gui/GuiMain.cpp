#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The GUI tests drive the real windows; without a display they run on Qt's offscreen platform.
int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The unattended runs of the tests tell no desktop of the machine: a test that looks at the
    // notification brings a bus of its own.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kestrel-test-bus", 1);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
