#pragma once

#include <cstdint>
#include <string>

// Inside the platform only: the form of the names temporary copies and the run mark are given,
// the same on every system.
namespace kestrel::platform {

// The temporary copy name made of 64 random bits.
std::string temporaryCopyNameOf(std::uint64_t random);

// The temporary name with a character that Windows file systems refuse in names: whether a
// file of that name can be made tells how the target takes names.
std::string nameProbeOf(const std::string& temporaryName);

// The fixed name of the mark a backup keeps in its target's root while it works: of the
// temporary form, so it is never counted, backed up or reported.
std::string runMarkName();

} // namespace kestrel::platform
