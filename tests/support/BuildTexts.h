#pragma once

#include "modules/Language.h"
#include "platform/ProgramPaths.h"

#include <gtest/gtest.h>

// Every test of a test program that includes this header starts with the build's own program
// texts loaded, whatever an earlier test loaded: the words the program shows are then the ones
// the tests compare with. Header only: the test programs that show texts link the loader.
namespace kestrel::testing {

class BuildTextsForEachTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        platform::setProgramFolder("");
        LoadProgramText("zbk.dat");
    }
};

// Registered once per test program, before its tests run.
inline const bool kBuildTextsForEachTest = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new BuildTextsForEachTest);
    return true;
}();

} // namespace kestrel::testing
