// The setup-file reader on any bytes: a setup file comes from anywhere (another machine, a
// damaged disk, an editor) and must load with its result code, never crash or hang.
#include "fuzz/FuzzInput.h"

#include "setup/SetupFile.h"

#include <cstddef>
#include <cstdint>

using namespace kestrel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::LoadBuildProgramTexts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzzing::ScratchFolder() + "setup.zbk";
    fuzzing::WriteInput(path, data, size);
    for (bool multipleBackup : {false, true}) {
        Setup setup;
        std::string description;
        const int result = LoadOperationFile(setup, path, SetupLoadContext{}, multipleBackup, &description);
        SetupLoadFailureText(result);
    }
    return 0;
}
