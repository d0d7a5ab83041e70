#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Text procedures: counts, sizes, character filters. Texts are UTF-8; lengths and positions
// count characters (code points), not bytes.
namespace kestrel {

std::string PluralSuffix(std::int64_t n);

// The value rounded to `decimals`, digits grouped by the user's number format
// (platform::numberFormat), a minus sign for a negative value.
std::string GroupedNumber(double value, int decimals);

std::string FormatByteCount(double bytes, bool blnCapital);
std::string FormatBytesAndMb(double bytes, bool blnCapital);
std::string FormatSizeKbMb(double bytes, int decimals);

void KeepAllowedCharacters(std::string& text, bool blnAllowBlank, const std::string& strExtra);
void RemoveChars(std::string& text, const std::string& characters);
std::string DropRight(const std::string& text, std::size_t n);
// The text as every comparison that ignores case sees it: each letter case-folded, in any
// alphabet (platform::caseFoldedText); bytes that are not UTF-8 stay as they are.
std::string LowerCaseWithAccents(const std::string& text);
std::string ShortenPathForDisplay(const std::string& text, int n, bool& shortened);
std::string TrimBlanks(const std::string& text);
std::size_t CharacterCount(const std::string& text);

// The characters of a text, each as its own bytes: the UTF-8 sequence of a code point, or one
// byte that is not part of valid UTF-8 (file names are bytes and must survive every procedure).
// The views point into `text`.
std::vector<std::string_view> SplitCharacters(const std::string& text);

} // namespace kestrel
