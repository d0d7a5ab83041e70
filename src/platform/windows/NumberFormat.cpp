#include "platform/NumberFormat.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

namespace {

std::string localeText(const wchar_t* locale, LCTYPE what) {
    wchar_t buffer[16];
    const int length = ::GetLocaleInfoEx(locale, what, buffer, 16);
    return length > 1 ? win::utf8(buffer, static_cast<std::size_t>(length - 1)) : std::string();
}

// LOCALE_SGROUPING reads "3;0" (threes), "3;2;0" (Indian: three, then twos), "0" (none).
NumberFormat formatOf(const wchar_t* locale) {
    NumberFormat format;
    const std::string thousands = localeText(locale, LOCALE_STHOUSAND);
    const std::string decimal = localeText(locale, LOCALE_SDECIMAL);
    const std::string grouping = localeText(locale, LOCALE_SGROUPING);
    if (decimal.empty() || grouping.empty())
        return format; // unknown: "," and "." in threes
    format.decimalSeparator = decimal;
    format.thousandsSeparator = thousands;
    const int first = grouping[0] - '0';
    format.groupSize = thousands.empty() || first <= 0 || first > 9 ? 0 : first;
    const std::size_t next = grouping.find(';');
    if (next != std::string::npos && next + 1 < grouping.size()) {
        const int higher = grouping[next + 1] - '0';
        if (higher > 0 && higher <= 9 && higher != format.groupSize)
            format.higherGroupSize = higher;
    }
    return format;
}

} // namespace

NumberFormat environmentNumberFormat() {
    return formatOf(LOCALE_NAME_USER_DEFAULT);
}

NumberFormat numberFormatOfLocale(const std::string& localeName) {
    // "en_IN" is "en-IN" to Windows; the C locale is no locale of its own there.
    if (localeName.empty() || localeName == "C" || localeName == "POSIX")
        return NumberFormat();
    std::string name = localeName.substr(0, localeName.find('.'));
    for (char& c : name)
        if (c == '_')
            c = '-';
    const std::wstring w = win::wide(name);
    if (!::IsValidLocaleName(w.c_str()))
        return NumberFormat();
    return formatOf(w.c_str());
}

} // namespace kestrel::platform
