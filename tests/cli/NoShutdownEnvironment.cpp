#include "cli/commands/Command.h"
#include "support/RecordingCommandRunner.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// Every test of the tool runs with a shutdown runner that only records, so no test can ever
// reach the system's shutdown command.
class NoShutdownEnvironment : public ::testing::Environment {
public:
    void SetUp() override { inForce.emplace(&runner); }
    void TearDown() override { inForce.reset(); }
    kestrel::testing::RecordingCommandRunner runner;
    std::optional<kestrel::cli::ScopedShutdownRunnerForTesting> inForce;
};

NoShutdownEnvironment* const environment =
    static_cast<NoShutdownEnvironment*>(::testing::AddGlobalTestEnvironment(new NoShutdownEnvironment));

} // namespace

namespace kestrel::testing {
RecordingCommandRunner& cliShutdownRunner() {
    return environment->runner;
}
} // namespace kestrel::testing
