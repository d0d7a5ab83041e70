#pragma once

#include "cli/CliRun.h"
#include "platform/Clock.h"
#include "platform/NumberFormat.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrel::testing {

// The tool run on a source and a target folder below a temporary folder ("src/" and "dst/"),
// with the clock and the number format fixed, and a setup file's path beside them.
class CliFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setClock(&clock);
        platform::setNumberFormat(&format);
        source = dir.createFolder("src");
        target = dir.createFolder("dst");
        setupFile = dir.path("s.zbk");
    }
    void TearDown() override {
        platform::setClock(nullptr);
        platform::setNumberFormat(nullptr);
    }
    // Saves the setup file: the two folders, every subfolder of the source, and `extra`.
    void Save(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {"save",     setupFile, "--source",      source,
                                         "--target", target,    "--include-all", "--subfolders"};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_EQ(run(args).status, 0);
    }

    TempDir dir;
    platform::FixedClock clock{platform::LocalDateTime{2024, 3, 9, 14, 5, 33, 60}};
    platform::NumberFormat format;
    std::string source, target, setupFile;
};

} // namespace kestrel::testing
