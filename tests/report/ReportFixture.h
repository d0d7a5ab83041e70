#pragma once

#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "report/OperationState.h"
#include "report/ReportModel.h"
#include "setup/Setup.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel::testing {

// A report model over a scripted interaction, with the clock and the number format fixed and
// the report drive roomy unless a test says otherwise.
class ReportFixture : public ::testing::Test {
protected:
    ReportFixture() {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        report.setFreeSpaceFunction([this](const std::string&) { return freeBytes; });
    }
    ~ReportFixture() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }

    // A backup of new and modified files with the report file open from the start.
    void StartBackupWithReportFile(const std::string& name = "report.txt") {
        state.intOperation = intOperationBackupModifiedFiles;
        setup.txbReportFile = dir.path(name);
        bool refused = false;
        ASSERT_FALSE(report.file().Open(setup.txbReportFile, false, platform::DirectoryHandle(), refused));
        state.blnOutputToFile = true;
    }
    std::string ReportFileText(const std::string& name = "report.txt") const { return dir.readFile(name); }

    TempDir dir;
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 7, 5, 3, 60}};
    platform::NumberFormat format; // "," and "." in groups of three
    double freeBytes = 1e12;
    OperationState state;
    kestrel::Setup setup;
    ScriptedInteraction ui{&state};
    ReportModel report{state, setup, ui};
};

} // namespace kestrel::testing
