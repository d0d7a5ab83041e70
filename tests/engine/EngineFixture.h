#pragma once

#include "engine/FolderOperation.h"
#include "engine/TargetSpace.h"
#include "modules/Language.h"
#include "platform/Clock.h"
#include "platform/Disk.h"
#include "platform/FileSystem.h"
#include "platform/NumberFormat.h"
#include "platform/SettingsStore.h"
#include "report/OperationState.h"
#include "report/ReportModel.h"
#include "setup/Setup.h"
#include "support/CopyFaultGuard.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing {

// One operation on a real source and target folder below a temporary folder, with the clock
// (9 March 2024, 12:00:00, one hour east of UTC), the number format and the program texts fixed,
// and the user answering from a script.
class EngineTest : public ::testing::Test {
public:
    EngineTest() {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        report.setFreeSpaceFunction([](const std::string&) { return 1e12; });
        EXPECT_GT(LoadProgramText("zbk.dat"), 0);
        // Folder values as the system writes them, as the folder procedures hand them over.
        source = Native(dir.createFolder("src"));
        target = Native(dir.createFolder("tgt"));
        setup.txbDirectory = {source, target};
    }
    ~EngineTest() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }

    void Include(const std::vector<std::string>& entries) {
        setup.cboIncludedFolders = entries;
        setup.intNumIncludedFolders = static_cast<int>(entries.size());
    }
    // A report file beside the two folders, so no question about naming one is asked.
    std::string UseReportFile(const std::string& name = "report.txt") {
        setup.txbReportFile = dir.path(name);
        return setup.txbReportFile;
    }
    std::string ReportFileText(const std::string& name = "report.txt") const { return dir.readFile(name); }

    std::string Src(const std::string& relative, const std::string& content = "", std::int64_t mtime = -1) {
        return dir.createFile(sourceBelowDir + relative, content, mtime);
    }
    std::string Tgt(const std::string& relative, const std::string& content = "", std::int64_t mtime = -1) {
        return dir.createFile(targetBelowDir + relative, content, mtime);
    }

    int BackupAll() { return cmdBackupAllFiles_MouseUp(setup, state, ui, report, &resultText); }
    int BackupModified() { return cmdBackupModifiedFiles_MouseUp(setup, state, ui, report, &resultText); }
    int CheckState() { return cmdCheckBackupState_MouseUp(setup, state, ui, report, &resultText); }
    int List(bool filesMode = false) {
        return cmdListSubFolders_MouseUp(setup, state, ui, report, filesMode, &resultText);
    }

    // The head and foot line of a report file at the fixed clock.
    static std::string Stamp() { return "Current date/time: 2024-03-09 12:00:00"; }

    TempDir dir;
    TempDir store; // the per-user settings store's, apart from the folders a test looks at
    // Backups remember their target's disk in the per-user store; the machine's own table of
    // file systems says nothing of the test's folders.
    platform::ScopedSettingsFileForTesting storeFile{store.path("settings.ini")};
    platform::ScopedFileSystemTableForTesting noFileSystemTable{[this] { return store.path("no-fstab"); }};
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 12, 0, 0, 60}};
    platform::NumberFormat format; // "," and "." in groups of three
    OperationState state;
    kestrel::Setup setup;
    ScriptedInteraction ui{&state};
    ReportModel report{state, setup, ui};
    std::string source;
    std::string target;
    // Where Src and Tgt create files, below the temporary folder.
    std::string sourceBelowDir = "src/";
    std::string targetBelowDir = "tgt/";
    std::string resultText;
};

// Seconds (UTC) of a moment of 2024 given in UTC.
inline std::int64_t At(int month, int day, int hour, int minute, int second = 0) {
    return utcSeconds(2024, month, day, hour, minute, second);
}

} // namespace kestrel::testing
