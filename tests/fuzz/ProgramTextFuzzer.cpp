// The program-text file's reader on any bytes: a translated text file is edited by hand, in any
// editor and any encoding.
#include "fuzz/FuzzInput.h"

#include "modules/Language.h"

#include <cstddef>
#include <cstdint>

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = kestrel::fuzzing::ScratchFolder() + "zbk.dat";
    kestrel::fuzzing::WriteInput(path, data, size);
    const int loaded = LoadProgramTextFromPath(path);
    ProgramTextLoadMessage(loaded, path);
    // The numbers the file format allows, and either side of them.
    for (int number : {-1, 0, 1, 45, 92, 310, 32767, 32768})
        GetProgramText(number);
    return 0;
}
