#pragma once

#include "engine/DeleteProcedures.h"
#include "engine/OperationContext.h"
#include "modules/Language.h"
#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "report/ReportModel.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrel::testing {

// A deletion on a real temporary tree: the target folder "target/" and the report file
// "report.txt" beside it, the program texts of the program, the clock and the number format
// fixed, the report drive roomy.
class DeletionFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_GT(LoadProgramText("zbk.dat"), 0); }

    DeletionFixture() {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        report.setFreeSpaceFunction([](const std::string&) { return 1e12; });
        target = Native(dir.createFolder("target"));
        setup.txbDirectory[1] = target;
        setup.txbReportFile = dir.path("report.txt");
    }
    ~DeletionFixture() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }

    std::string ReportFileText() const { return dir.readFile("report.txt"); }

    TempDir dir;
    std::string target;
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 14, 5, 7, 60}};
    platform::NumberFormat format; // "," and "." in groups of three
    OperationState state;
    kestrel::Setup setup;
    ScriptedInteraction ui{&state};
    ReportModel report{state, setup, ui};
    OperationContext ctx{setup, state, ui, report};
};

} // namespace kestrel::testing
