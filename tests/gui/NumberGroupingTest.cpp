#include "GuiTestSupport.h"

#include "forms/report/frmReport.h"

#include <QPushButton>

namespace kestrel::testing {
namespace {

class NumberGroupingTest : public GuiTest {};

// The report window's summary groups the copied bytes as the locale writes them; the locale is
// named, never taken from the machine.
TEST_F(NumberGroupingTest, TheReportGroupsSizesWithTheLocalesOwnGroupsAndSeparators) {
    struct Case {
        const char* locale;
        const char* expected;
    } cases[] = {
        {"en_IN", "Sum of sizes of files copied: 12,34,567 bytes (1.18 Mb)"},
        {"de_CH", "Sum of sizes of files copied: 1\u2019234\u2019567 bytes (1.18 Mb)"},
        {"C", "Sum of sizes of files copied: 1,234,567 bytes (1.18 Mb)"},
    };
    tmp.createFile("source/big.bin", std::string(1234567, 'x'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        numberFormat = platform::numberFormatOfLocale(c.locale);
        const std::string target = tmp.createFolder(std::string("target-") + c.locale);
        kestrel::Setup setup = FolderSetup(tmp.path("source/"), target);
        setup.txbReportFile = tmp.path(std::string("report-") + c.locale + ".txt");
        WriteLastRun(setup);
        auto window = StartWindow();
        ModalScript script;
        script.thenClick("cmdYes");
        Find<QPushButton>(window.get(), "cmdBackupAllFiles")->click();
        ASSERT_TRUE(WaitForOperation(*window));
        const QString text = window->reportWindow()->Text();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.expected))) << text.toStdString();
    }
}

} // namespace
} // namespace kestrel::testing
