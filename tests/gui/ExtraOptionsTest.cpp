// The main window's options beyond the plain mirror: shown from the setup, written back as the
// user changes them.
#include "GuiTestSupport.h"

#include <QCheckBox>
#include <QSpinBox>

namespace kestrel::testing {
namespace {

class ExtraOptionsTest : public GuiTest {};

TEST_F(ExtraOptionsTest, TheWindowShowsTheLastRunsOptionsAndWritesChangesBack) {
    kestrel::Setup last;
    last.txbDirectory = {tmp.createFolder("src"), tmp.createFolder("dst")};
    last.extra.bRemoveDeleted = true;
    last.extra.lngMaxRemove = 25;
    last.extra.intKeepVersionsDays = 14;
    last.extra.bKeepAttributes = true;
    WriteLastRun(last);
    auto window = StartWindow();

    auto* remove = Find<QCheckBox>(window.get(), "chkRemoveDeleted");
    auto* limit = Find<QSpinBox>(window.get(), "spnMaxRemove");
    auto* days = Find<QSpinBox>(window.get(), "spnKeepVersionsDays");
    auto* links = Find<QCheckBox>(window.get(), "chkCopyLinksAsLinks");
    auto* attributes = Find<QCheckBox>(window.get(), "chkKeepAttributes");
    EXPECT_TRUE(remove->isChecked());
    EXPECT_EQ(limit->value(), 25);
    EXPECT_TRUE(limit->isEnabled());
    EXPECT_EQ(days->value(), 14);
    EXPECT_FALSE(links->isChecked());
    EXPECT_TRUE(attributes->isChecked());
    EXPECT_EQ(remove->text(), QStringLiteral("Remove files gone from the source"));

    remove->click();
    EXPECT_FALSE(window->setup().extra.bRemoveDeleted);
    EXPECT_FALSE(limit->isEnabled()) << "the limit means nothing without the removal";
    days->setValue(3);
    links->click();
    attributes->click();
    const ExtraOptions& extra = window->setup().extra;
    EXPECT_EQ(extra.intKeepVersionsDays, 3);
    EXPECT_TRUE(extra.bCopyLinksAsLinks);
    EXPECT_FALSE(extra.bKeepAttributes);
    remove->click();
    limit->setValue(7);
    EXPECT_EQ(window->setup().extra.lngMaxRemove, 7);
}

} // namespace
} // namespace kestrel::testing
