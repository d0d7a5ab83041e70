#include "setup/LastRun.h"

#include "modules/Folder.h"
#include "modules/Language.h"
#include "platform/ErrorCodes.h"

namespace kestrel {

std::string LastRunFile() {
    return GetAppDataFolder("zbk.usr", GetProgramText(310));
}

bool LoadSetupFromLastRun(Setup& setup, const SetupLoadContext& context, int* loadResult) {
    const std::string path = LastRunFile();
    if (!FileExists(path)) {
        // No last-run file yet is no failure: the setup simply stays as it was.
        if (loadResult)
            *loadResult = platform::err::FileNotFound;
        return false;
    }
    int result = LoadOperationFile(setup, path, context);
    if (loadResult)
        *loadResult = result;
    return result == 0;
}

std::string LastRunLoadFailure(int loadResult) {
    if (loadResult == 0)
        return "";
    const std::string path = LastRunFile();
    // The command line itself is no program text: it is typed as it stands in any language.
    const std::string howToMake =
        GetProgramText(1220) + " kestrel-backup-cli save --source DIR --target DIR [options]";
    if (loadResult == platform::err::FileNotFound && !FileExists(path))
        return GetProgramText(1221) + " (" + path + "): " + howToMake;
    return GetProgramText(1222) + " " + path + " " + GetProgramText(1223) + " " +
           SetupLoadFailureText(loadResult) + "; " + howToMake;
}

bool SaveSetupForNextRun(const Setup& setup) {
    return SaveSetupFile(setup, LastRunFile());
}

} // namespace kestrel
