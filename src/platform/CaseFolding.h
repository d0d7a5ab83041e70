#pragma once

#include <string>
#include <string_view>

namespace kestrel::platform {

// `text` with every letter in the one form that comparisons which ignore case use (Unicode case
// folding, as the system's own tables have it): two texts that differ only in case fold to the
// same text, in every alphabet ("ŁÓDŹ" and "łódź", "ΑΘΗΝΑ" and "αθηνα"). `text` is well-formed
// UTF-8; what is not a letter stays as it is.
std::string caseFoldedText(std::string_view text);

} // namespace kestrel::platform
