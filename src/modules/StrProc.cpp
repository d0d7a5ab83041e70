#include "modules/StrProc.h"

#include "modules/Language.h"
#include "platform/CaseFolding.h"
#include "platform/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kestrel {

namespace {

// A byte that is not part of valid UTF-8 is carried as a value above the Unicode range, so it
// compares equal only to the same byte and is written back unchanged.
constexpr char32_t kRawByteBase = 0x110000;

struct Decoded {
    char32_t value;
    std::size_t length;
};

Decoded decodeAt(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const Decoded raw{kRawByteBase + lead, 1};
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length;
    char32_t value;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return raw;
    }
    if (i + length > text.size())
        return raw;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return raw;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return raw;
    return {value, length};
}

std::vector<char32_t> decodeAll(std::string_view text) {
    std::vector<char32_t> values;
    values.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        values.push_back(d.value);
        i += d.length;
    }
    return values;
}

// Byte offset of the character with index `index` (the text's size when past its end).
std::size_t offsetOfCharacter(std::string_view text, std::size_t index) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < index && i < text.size(); ++n)
        i += decodeAt(text, i).length;
    return i;
}

bool isAllowedLetter(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    // À to Þ and ß to þ without × and ÷, then ÿ.
    if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7)
        return true;
    return c == 0x160 || c == 0x161 || c == 0x152 || c == 0x153 || c == 0x178;
}

// Adds one unit in the last place of a string of decimal digits; false when it carries out.
bool incrementDigits(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            return true;
        }
    }
    return false;
}

// The value rounded half away from zero. The rounding works on the shortest decimal text that
// reads back as the same double, so 2.675 rounds to 2.68 as the user sees it, not to 2.67 as
// its binary neighbour would.
std::string formatNumber(double value, int decimals, bool grouped) {
    if (!std::isfinite(value))
        return "";
    if (decimals < 0)
        decimals = 0;
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (result.ec != std::errc())
        return "";
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t point = text.find('.');
    std::string integerPart(text.substr(0, point));
    std::string fraction(point == std::string_view::npos ? std::string_view() : text.substr(point + 1));

    const std::size_t wanted = static_cast<std::size_t>(decimals);
    if (fraction.size() > wanted) {
        const bool roundUp = fraction[wanted] >= '5';
        fraction.resize(wanted);
        if (roundUp) {
            std::string all = integerPart + fraction;
            if (!incrementDigits(all))
                all.insert(all.begin(), '1');
            integerPart = all.substr(0, all.size() - wanted);
            fraction = all.substr(all.size() - wanted);
        }
    } else {
        fraction.append(wanted - fraction.size(), '0');
    }

    const platform::NumberFormat& format = platform::numberFormat();
    std::string out;
    const bool isZero = integerPart.find_first_not_of('0') == std::string::npos &&
                        fraction.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !isZero)
        out += '-';
    out += grouped ? platform::groupDigits(integerPart, format) : integerPart;
    if (!fraction.empty())
        out += format.decimalSeparator + fraction;
    return out;
}

constexpr double kKb = 1024.0;
constexpr double kMb = 1048576.0;

} // namespace

std::string PluralSuffix(std::int64_t n) {
    return n == 1 ? "" : "s";
}

std::string GroupedNumber(double value, int decimals) {
    return formatNumber(value, decimals, true);
}

std::string FormatByteCount(double bytes, bool blnCapital) {
    const std::string unit = GetProgramText(blnCapital ? 1209 : 152);
    if (!(bytes >= 0))
        return "";
    if (bytes == 0)
        return "0 " + unit;
    return GroupedNumber(bytes, 0) + " " + unit;
}

std::string FormatBytesAndMb(double bytes, bool blnCapital) {
    if (!(bytes >= 0))
        return "";
    std::string text = FormatByteCount(bytes, blnCapital);
    if (bytes > kMb)
        text += " (" + GroupedNumber(bytes / kMb, 2) + " " + GetProgramText(1207) + ")";
    return text;
}

std::string FormatSizeKbMb(double bytes, int decimals) {
    if (!(bytes >= 0))
        return "";
    if (bytes == 0)
        return "0 " + GetProgramText(152);
    if (bytes < kKb)
        return formatNumber(bytes, 0, false) + " " + GetProgramText(152);
    if (bytes < kMb)
        return GroupedNumber(bytes / kKb, decimals) + " " + GetProgramText(1206);
    return GroupedNumber(bytes / kMb, decimals) + " " + GetProgramText(1207);
}

void KeepAllowedCharacters(std::string& text, bool blnAllowBlank, const std::string& strExtra) {
    const std::vector<char32_t> extra = decodeAll(strExtra);
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        const bool allowed = isAllowedLetter(d.value) || (blnAllowBlank && d.value == ' ') ||
                             std::find(extra.begin(), extra.end(), d.value) != extra.end();
        if (allowed)
            kept.append(text, i, d.length);
        i += d.length;
    }
    text = std::move(kept);
}

void RemoveChars(std::string& text, const std::string& characters) {
    const std::vector<char32_t> removed = decodeAll(characters);
    if (removed.empty())
        return;
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        if (std::find(removed.begin(), removed.end(), d.value) == removed.end())
            kept.append(text, i, d.length);
        i += d.length;
    }
    text = std::move(kept);
}

std::string DropRight(const std::string& text, std::size_t n) {
    const std::size_t count = CharacterCount(text);
    if (count <= n)
        return "";
    return text.substr(0, offsetOfCharacter(text, count - n));
}

std::string LowerCaseWithAccents(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        // Paths are mostly ASCII: their letters are folded here, without a round trip through
        // the system's tables.
        if (lead < 0x80) {
            out += (lead >= 'A' && lead <= 'Z') ? static_cast<char>(lead + 0x20) : static_cast<char>(lead);
            ++i;
            continue;
        }
        // The rest of the text as far as it is well-formed UTF-8 is folded by the system; a byte
        // that is not (file names are bytes) stays as it is.
        std::size_t end = i;
        while (end < text.size()) {
            const Decoded d = decodeAt(text, end);
            if (d.value >= kRawByteBase)
                break;
            end += d.length;
        }
        if (end == i) {
            out += text[i++];
            continue;
        }
        out += platform::caseFoldedText(std::string_view(text).substr(i, end - i));
        i = end;
    }
    return out;
}

std::string ShortenPathForDisplay(const std::string& text, int n, bool& shortened) {
    shortened = false;
    if (n < 10)
        return text;
    const std::size_t count = CharacterCount(text);
    const std::size_t limit = static_cast<std::size_t>(n);
    if (count <= limit)
        return text;
    shortened = true;
    const std::size_t headEnd = offsetOfCharacter(text, 3);
    const std::size_t tailStart = offsetOfCharacter(text, count - (limit - 6));
    return text.substr(0, headEnd) + "..." + text.substr(tailStart);
}

std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count)
        i += decodeAt(text, i).length;
    return count;
}

std::vector<std::string_view> SplitCharacters(const std::string& text) {
    std::vector<std::string_view> characters;
    characters.reserve(text.size());
    const std::string_view view(text);
    for (std::size_t i = 0; i < view.size();) {
        const std::size_t length = decodeAt(view, i).length;
        characters.push_back(view.substr(i, length));
        i += length;
    }
    return characters;
}

} // namespace kestrel
