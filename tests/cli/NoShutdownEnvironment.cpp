#include "cli/commands/Command.h"
#include "support/RecordingCommandRunner.h"

#include <gtest/gtest.h>

namespace {

// Every test of the tool runs with a shutdown runner that only records, so no test can ever
// reach the system's shutdown command.
class NoShutdownEnvironment : public ::testing::Environment {
public:
    void SetUp() override { kestrel::cli::setShutdownRunnerForTesting(&runner); }
    void TearDown() override { kestrel::cli::setShutdownRunnerForTesting(nullptr); }
    kestrel::testing::RecordingCommandRunner runner;
};

NoShutdownEnvironment* const environment =
    static_cast<NoShutdownEnvironment*>(::testing::AddGlobalTestEnvironment(new NoShutdownEnvironment));

} // namespace

namespace kestrel::testing {
RecordingCommandRunner& cliShutdownRunner() {
    return environment->runner;
}
} // namespace kestrel::testing
