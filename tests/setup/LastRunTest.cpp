#include "setup/LastRun.h"
#include "support/EnvironmentGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace kestrel;
using kestrel::testing::TempDir;

namespace {

// Points the per-user folders at the test's temporary folder for the test's length.
class ConfigHomeInTempDir {
public:
    explicit ConfigHomeInTempDir(const std::string& folder) {
        kestrel::testing::SetEnvironment(kestrel::testing::kConfigHomeVariable, folder);
    }

private:
    kestrel::testing::EnvironmentGuard saved_{kestrel::testing::kConfigHomeVariable};
};

} // namespace

TEST(LastRun, SavedSetupLoadsAtTheNextRun) {
    TempDir dir;
    ConfigHomeInTempDir home(dir.path("config"));
    const std::string path = LastRunFile();
    ASSERT_EQ(kestrel::testing::SlashesOnly(path).rfind(dir.path("config/"), 0), 0u) << path;
    EXPECT_EQ(kestrel::testing::SlashesOnly(path).substr(path.size() - 8), "/zbk.usr");

    kestrel::Setup saved;
    saved.txbDirectory = {kestrel::testing::Native(dir.createFolder("source")),
                          kestrel::testing::Native(dir.createFolder("target"))};
    dir.createFolder("source/docs");
    saved.cboIncludedFolders = {"docs"};
    saved.intNumIncludedFolders = 1;
    saved.cboIncludedFoldersListIndex = 0;
    saved.cboPercent = 2;
    ASSERT_TRUE(SaveSetupForNextRun(saved));

    kestrel::Setup loaded;
    int result = -1;
    EXPECT_TRUE(LoadSetupFromLastRun(loaded, {false, nullptr}, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(loaded, saved);
}

TEST(LastRun, NoLastRunFileLeavesTheSetupAsItWas) {
    TempDir dir;
    ConfigHomeInTempDir home(dir.path("config"));
    kestrel::Setup setup;
    setup.txbReportFile = "/r.txt";
    setup.cboPercent = 1;
    const kestrel::Setup before = setup;

    int result = 0;
    EXPECT_FALSE(LoadSetupFromLastRun(setup, {false, nullptr}, &result));
    EXPECT_EQ(result, 53);
    EXPECT_EQ(setup, before);
}
