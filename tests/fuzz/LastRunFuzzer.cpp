// The last-run file's reader on any bytes: the file the desktop program and every unattended run
// start from, left by an older version, cut short by a full disk or edited by hand.
#include "fuzz/FuzzInput.h"

#include "setup/LastRun.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace kestrel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::LoadBuildProgramTexts();
    // The per-user configuration folder, where the last-run file lies, within the scratch folder.
    ::setenv("XDG_CONFIG_HOME", (fuzzing::ScratchFolder() + "config").c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::WriteInput(LastRunFile(), data, size);
    for (bool startupCompleted : {false, true}) {
        Setup setup;
        SetupLoadContext context;
        context.blnStartupCompleted = startupCompleted;
        int result = 0;
        LoadSetupFromLastRun(setup, context, &result);
        LastRunLoadFailure(result);
    }
    return 0;
}
