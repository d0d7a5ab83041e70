#include "modules/StrProc.h"

#include "platform/NumberFormat.h"

#include <gtest/gtest.h>
#include <limits>

using namespace kestrel;

namespace {

// Fixes the number format for one test and gives the environment's back afterwards.
class NumberFormatGuard {
public:
    explicit NumberFormatGuard(platform::NumberFormat format) : format_(std::move(format)) {
        platform::setNumberFormat(&format_);
    }
    ~NumberFormatGuard() { platform::setNumberFormat(nullptr); }

private:
    platform::NumberFormat format_;
};

platform::NumberFormat englishFormat() {
    return platform::NumberFormat{",", ".", 3};
}

} // namespace

TEST(PluralSuffix, OnlyExactlyOneIsSingular) {
    EXPECT_EQ(PluralSuffix(1), "");
    EXPECT_EQ(PluralSuffix(0), "s");
    EXPECT_EQ(PluralSuffix(2), "s");
    EXPECT_EQ(PluralSuffix(-1), "s");
}

TEST(GroupedNumber, RoundsHalfAwayFromZeroAndGroupsInThrees) {
    NumberFormatGuard guard(englishFormat());
    struct Case {
        double value;
        int decimals;
        const char* expected;
    } cases[] = {
        {0, 0, "0"},
        {0, 2, "0.00"},
        {123, 0, "123"},
        {1234, 0, "1,234"},
        {1234567, 0, "1,234,567"},
        {123456, 0, "123,456"},
        {1234.5, 0, "1,235"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {0.125, 2, "0.13"},
        {2.675, 2, "2.68"}, // the decimal the user sees, not its binary neighbour 2.67499...
        {1.005, 2, "1.01"},
        {999.995, 2, "1,000.00"},
        {-1234.5678, 2, "-1,234.57"},
        {-0.001, 2, "0.00"}, // no "-0.00"
        {1.5, 1, "1.5"},
        {1048577.0 / 1048576.0, 2, "1.00"},
        {9007199254740992.0, 0, "9,007,199,254,740,992"},
        {1e21, 0, "1,000,000,000,000,000,000,000"},
        {7, 3, "7.000"},
        {7.25, -1, "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GroupedNumber(c.value, c.decimals), c.expected) << c.value << " with " << c.decimals;
}

TEST(GroupedNumber, FollowsTheUsersSeparatorsAndGroupSize) {
    struct Case {
        platform::NumberFormat format;
        double value;
        int decimals;
        const char* expected;
    } cases[] = {
        {{".", ",", 3}, 1234567.891, 2, "1.234.567,89"},
        {{".", ",", 3}, -1234, 0, "-1.234"},
        {{"\xC2\xA0", ",", 3},
         1234.5,
         2,
         "1\xC2\xA0"
         "234,50"},
        {{",", ".", 0}, 1234567.5, 1, "1234567.5"},
        {{"'", ".", 4}, 123456789, 0, "1'2345'6789"},
    };
    for (const Case& c : cases) {
        NumberFormatGuard guard(c.format);
        EXPECT_EQ(GroupedNumber(c.value, c.decimals), c.expected);
    }
}

TEST(GroupedNumber, NonFiniteValuesGiveAnEmptyText) {
    NumberFormatGuard guard(englishFormat());
    EXPECT_EQ(GroupedNumber(std::numeric_limits<double>::infinity(), 0), "");
    EXPECT_EQ(GroupedNumber(std::numeric_limits<double>::quiet_NaN(), 2), "");
}

TEST(FormatByteCount, ExactCountWithUnitWord) {
    NumberFormatGuard guard(englishFormat());
    EXPECT_EQ(FormatByteCount(0, false), "0 bytes");
    EXPECT_EQ(FormatByteCount(0, true), "0 Bytes");
    EXPECT_EQ(FormatByteCount(1, false), "1 bytes");
    EXPECT_EQ(FormatByteCount(1234, false), "1,234 bytes");
    EXPECT_EQ(FormatByteCount(5368709120.0, true), "5,368,709,120 Bytes");
    EXPECT_EQ(FormatByteCount(-1, false), "");
    EXPECT_EQ(FormatByteCount(-1, true), "");
}

TEST(FormatBytesAndMb, AddsMegabytesOnlyAboveOneMegabyte) {
    NumberFormatGuard guard(englishFormat());
    EXPECT_EQ(FormatBytesAndMb(0, false), "0 bytes");
    EXPECT_EQ(FormatBytesAndMb(1048576, false), "1,048,576 bytes");
    EXPECT_EQ(FormatBytesAndMb(1048577, false), "1,048,577 bytes (1.00 Mb)");
    EXPECT_EQ(FormatBytesAndMb(1572864, true), "1,572,864 Bytes (1.50 Mb)");
    EXPECT_EQ(FormatBytesAndMb(5368709120.0, false), "5,368,709,120 bytes (5,120.00 Mb)");
    EXPECT_EQ(FormatBytesAndMb(-5, false), "");
}

TEST(FormatBytesAndMb, UsesTheLocaleForBothNumbers) {
    NumberFormatGuard guard(platform::NumberFormat{".", ",", 3});
    EXPECT_EQ(FormatBytesAndMb(1572864, false), "1.572.864 bytes (1,50 Mb)");
}

TEST(FormatSizeKbMb, BytesKilobytesOrMegabytes) {
    NumberFormatGuard guard(englishFormat());
    struct Case {
        double bytes;
        int decimals;
        const char* expected;
    } cases[] = {
        {0, 1, "0 bytes"},
        {512, 1, "512 bytes"},
        {1023, 2, "1023 bytes"}, // no grouping below 1 Kb
        {1024, 1, "1.0 Kb"},
        {1536, 1, "1.5 Kb"},
        {1048575, 0, "1,024 Kb"},
        {1048576, 2, "1.00 Mb"},
        {5368709120.0, 1, "5,120.0 Mb"}, // no Gb step
        {-1, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSizeKbMb(c.bytes, c.decimals), c.expected) << c.bytes;
}

TEST(KeepAllowedCharacters, RemovesEveryRunOfOtherCharacters) {
    struct Case {
        const char* text;
        bool allowBlank;
        const char* extra;
        const char* expected;
    } cases[] = {
        {"abcXYZ", false, "", "abcXYZ"},
        {"ab12cd", false, "", "abcd"},
        {"12ab", false, "", "ab"},
        {"ab!!?", false, "", "ab"}, // a run at the end
        {"a1b2c3", false, "", "abc"},
        {"a b", false, "", "ab"},
        {"a b", true, "", "a b"},
        {"my-file_1.txt", false, "-_", "my-file_txt"},
        {"\xC3\x87"
         "a va? \xC5\x92uvre",
         true, "",
         "\xC3\x87"
         "a va \xC5\x92uvre"},                                                               // Ça va? Œuvre
        {"\xC3\x9F\xC3\xBE\xC3\x9E\xC5\xB8", false, "", "\xC3\x9F\xC3\xBE\xC3\x9E\xC5\xB8"}, // ßþÞŸ
        {"2\xC3\x97"
         "3\xC3\xB7"
         "x",
         false, "", "x"}, // × and ÷ are not letters
        {"\xE2\x82\xAC"
         "5",
         false, "\xE2\x82\xAC", "\xE2\x82\xAC"}, // € allowed as extra
        {"a\xFF"
         "b",
         false, "", "ab"},                   // a stray byte is no letter
        {"\xCE\xA9mega", false, "", "mega"}, // Greek is outside the set
        {"", true, "x", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        KeepAllowedCharacters(text, c.allowBlank, c.extra);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(RemoveChars, RemovesEveryOccurrenceOfEachCharacter) {
    struct Case {
        const char* text;
        const char* characters;
        const char* expected;
    } cases[] = {
        {"a/b/c/", "/", "abc"},
        {"a,b;c", ",;", "abc"},
        {"caf\xC3\xA9s", "\xC3\xA9", "cafs"},
        {"caf\xC3\xA9", "\xA9", "caf\xC3\xA9"}, // a lone byte never cuts a character in half
        {"abc", "", "abc"},
        {"///", "/", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        RemoveChars(text, c.characters);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(DropRight, DropsCharactersNotBytes) {
    EXPECT_EQ(DropRight("abcdef", 2), "abcd");
    EXPECT_EQ(DropRight("abc", 0), "abc");
    EXPECT_EQ(DropRight("ab", 2), "");
    EXPECT_EQ(DropRight("a", 5), "");
    EXPECT_EQ(DropRight("h\xC3\xA9llo", 3), "h\xC3\xA9");
    EXPECT_EQ(DropRight("ab\xC3\xA9", 1), "ab");
}

TEST(LowerCaseWithAccents, FoldsTheCapitalsOfEveryAlphabet) {
    const std::string capitals = "ŠŸÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝ";
    const std::string smalls = "šÿàáâãäåçèéêëìíîïðñòóôõöøùúûüý";
    EXPECT_EQ(LowerCaseWithAccents(capitals), smalls);
    EXPECT_EQ(LowerCaseWithAccents(smalls), smalls);

    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"ABC xyz 123", "abc xyz 123"},
        {"/Home/Anna/Été/", "/home/anna/été/"},
        {"ÆÞŒ", "æþœ"},
        {"×ß÷", "×ß÷"},
        {"ŁÓDŹ/ĄĘŚĆŃŻ", "łódź/ąęśćńż"},
        {"ΑΘΗΝΑ", "αθηνα"},
        {"ΟΔΥΣΣΕΥΣ οδυσσευς", "οδυσσευσ οδυσσευσ"}, // the final sigma folds as any other
        {"МОСКВА", "москва"},
        {"ԱՐԱՐԱՏ", "արարատ"},
        {"€ 42 中文", "€ 42 中文"}, // no case: unchanged
        {"A\xFF"
         "B\xC3",
         "a\xFF"
         "b\xC3"},                                        // stray bytes kept as they are
        {"\xC5\x81\xFF\xC3\x93", "\xC5\x82\xFF\xC3\xB3"}, // ŁÓ around a stray byte: łó
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LowerCaseWithAccents(c.text), c.expected) << c.text;
}

TEST(ShortenPathForDisplay, KeepsTheHeadAndTheTailAroundThreeDots) {
    std::string path = "/media/anna/";
    for (int i = 0; path.size() < 130; ++i)
        path += static_cast<char>('a' + i % 26);
    ASSERT_EQ(path.size(), 130u);

    bool shortened = false;
    const std::string shown = ShortenPathForDisplay(path, 120, shortened);
    EXPECT_TRUE(shortened);
    EXPECT_EQ(shown.size(), 120u);
    EXPECT_EQ(shown, path.substr(0, 3) + "..." + path.substr(130 - 114));
}

TEST(ShortenPathForDisplay, LeavesShortTextsAndSmallLimitsAlone) {
    const std::string path(130, 'x');
    bool shortened = true;
    EXPECT_EQ(ShortenPathForDisplay(path, 9, shortened), path);
    EXPECT_FALSE(shortened);
    shortened = true;
    EXPECT_EQ(ShortenPathForDisplay(path, 130, shortened), path);
    EXPECT_FALSE(shortened);
    EXPECT_EQ(ShortenPathForDisplay(path, 10, shortened), "xxx...xxxx");
    EXPECT_TRUE(shortened);
}

TEST(ShortenPathForDisplay, CountsCharactersOfAccentedNames) {
    std::string path;
    for (int i = 0; i < 130; ++i)
        path += "é";
    bool shortened = false;
    const std::string shown = ShortenPathForDisplay(path, 120, shortened);
    EXPECT_TRUE(shortened);
    EXPECT_EQ(CharacterCount(shown), 120u);
    EXPECT_EQ(shown, "ééé..." + path.substr(0, 114 * 2));
}

TEST(TrimBlanks, RemovesLeadingAndTrailingBlanksOnly) {
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("\ta\t"), "a");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("x"), "x");
}

TEST(CharacterCount, CountsCodePointsAndStrayBytes) {
    struct Case {
        const char* text;
        std::size_t expected;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"h\xC3\xA9llo", 5},
        {"\xE2\x82\xAC", 1},     // €
        {"\xF0\x9F\x98\x80", 1}, // an emoji
        {"\xFF\xFE", 2},         // not UTF-8
        {"\xE2\x82", 2},         // a sequence cut short
        {"\xC0\xAF", 2},         // an overlong "/"
        {"\xED\xA0\x80", 3},     // a surrogate
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharacterCount(c.text), c.expected) << c.text;
}

TEST(SplitCharacters, GivesEachCharacterItsOwnBytes) {
    const std::string text = "a\xC3\xA9\xFF\xE2\x82\xAC";
    const std::vector<std::string_view> parts = SplitCharacters(text);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "a");
    EXPECT_EQ(parts[1], "\xC3\xA9");
    EXPECT_EQ(parts[2], "\xFF");
    EXPECT_EQ(parts[3], "\xE2\x82\xAC");
}
