#include "platform/CaseFolding.h"

#include "platform/windows/Win32.h"

namespace kestrel::platform {

namespace {

void mapCase(std::wstring& text, DWORD flags) {
    const int length = static_cast<int>(text.size());
    std::wstring mapped(text.size(), L'\0');
    // Case mapping keeps the length of the text (no letter is expanded or contracted).
    if (::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text.data(), length, mapped.data(), length, nullptr,
                        nullptr, 0) == length)
        text = std::move(mapped);
}

} // namespace

std::string caseFoldedText(std::string_view text) {
    std::wstring wide = win::wide(std::string(text));
    if (wide.empty())
        return {};
    // Upper case, then lower case: the system's tables fold as Unicode's case folding does, and
    // letters with two capitals or two small forms fold together, as on POSIX systems.
    mapCase(wide, LCMAP_UPPERCASE);
    mapCase(wide, LCMAP_LOWERCASE);
    // The final sigma ς folds to σ, also where the system's tables give it no capital (Wine's).
    for (wchar_t& c : wide)
        if (c == L'\x03C2')
            c = L'\x03C3';
    return win::utf8(wide);
}

} // namespace kestrel::platform
