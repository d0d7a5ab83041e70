#include "cli/CliRun.h"
#include "cli/Subprocess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using kestrel::testing::CliProgram;
using kestrel::testing::contains;
using kestrel::testing::MinimalEnvironment;
using kestrel::testing::PtyProcess;
using kestrel::testing::TempDir;

namespace {

// The characters a terminal shows, its control sequences (cursor moves, colours) left out. A
// pseudo console on Windows draws the screen a character at a time between such sequences.
std::string VisibleText(const std::string& output) {
    std::string shown;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (output[i] != '\033') {
            shown += output[i];
            continue;
        }
        if (i + 1 < output.size() && output[i + 1] == '[') {
            i += 2;
            while (i < output.size() && !(output[i] >= '@' && output[i] <= '~'))
                ++i;
        } else if (i + 1 < output.size() && output[i + 1] == ']') {
            while (i < output.size() && output[i] != '\a')
                ++i;
        } else {
            ++i;
        }
    }
    return shown;
}

} // namespace

// What a person at the terminal sees: names beyond ASCII as they are written, and the status
// line drawn, not its escape sequences printed (a Windows console shows UTF-8 bytes in its own
// code page, and ESC as an arrow, unless the program asks otherwise).
TEST(TerminalOutput, NamesAndTheStatusLineShowAsWrittenOnATerminal) {
    TempDir dir;
    const char* const names[] = {"Größe", "Ελληνικά", "日本語"};
    for (const char* name : names)
        dir.createFile(std::string("src/") + name + "/a.txt", std::string(3000, 'x'));
    dir.createFolder("dst");
    dir.createFolder("home");
    PtyProcess terminal({CliProgram(), "backup", "--source", dir.path("src"), "--target", dir.path("dst"),
                         "--include-all", "--no-report", "--yes", "--progress"},
                        MinimalEnvironment(dir.path("home/")));
    ASSERT_EQ(terminal.Wait(), 0) << terminal.Output();
    const std::string shown = VisibleText(terminal.Output());
    for (const char* name : names)
        EXPECT_TRUE(contains(shown, name)) << name << "\n" << shown;
    EXPECT_FALSE(contains(shown, "\u2190[")) << "an escape sequence shown as text\n" << shown;
    EXPECT_FALSE(contains(shown, "\u251c")) << "UTF-8 shown in another code page\n" << shown;
}
