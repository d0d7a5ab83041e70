#include "modules/Language.h"
#include "setup/ChoiceLists.h"

#include <gtest/gtest.h>

using namespace kestrel;

// The item texts come from the program text file that lies beside the test program.
TEST(ModifiedSinceItems, FifthItemIsTheFourthWithEveryTwoTurnedIntoFour) {
    ASSERT_GT(LoadProgramText("zbk.dat"), 0);
    const std::vector<ModifiedSinceItem> items = ModifiedSinceItems();

    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, GetProgramText(353));
    EXPECT_EQ(items[1].text, GetProgramText(356));
    EXPECT_EQ(items[2].text, GetProgramText(357));
    EXPECT_EQ(items[3].text, GetProgramText(358));
    ASSERT_NE(items[3].text.find('2'), std::string::npos) << "the two-week text names its 2";
    std::string fourWeeks = items[3].text;
    for (char& c : fourWeeks)
        if (c == '2')
            c = '4';
    EXPECT_EQ(items[4].text, fourWeeks);

    const int values[] = {-1, 2, 6, 13, 27};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_FALSE(items[i].text.empty()) << i;
        EXPECT_EQ(items[i].value, values[i]) << i;
    }
}
