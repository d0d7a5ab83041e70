#pragma once

#include "setup/ExtraOptions.h"

#include <string>

namespace kestrel {

// The options beyond the plain mirror as setup-file lines, one `name=value` line each, written
// after the plain setup's lines only when one of them is set (so a plain setup's file stays as
// it always was): remove-deleted, max-remove, keep-versions, links, keep-attributes.
std::string FormatExtraOptions(const ExtraOptions& options, const std::string& lineEnd);

// Reads one such line into `options`. 0 when taken, and for a line that names no option it knows
// (a file of a later version still loads); 13 when the value is no number, 380 when its field refuses it.
int ReadExtraOptionLine(const std::string& line, ExtraOptions& options);

} // namespace kestrel
