#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the fuzz targets share: the readers under test take files, so each input is written to a
// file of a scratch folder of the fuzzer's own (removed when it ends).
namespace kestrel::fuzzing {

// The scratch folder, made on the first call, ending in "/".
const std::string& ScratchFolder();

// Writes the input to `path` whole; aborts when it cannot, as a fuzzer that reads nothing finds
// nothing.
void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size);

// Loads the program texts of the build (data/zbk.dat beside the fuzzer), which the readers use
// in their messages and names.
void LoadBuildProgramTexts();

} // namespace kestrel::fuzzing
