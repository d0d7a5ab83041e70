#include "EngineFixture.h"

#include "modules/Language.h"

#include <functional>
#include <optional>

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";
constexpr std::int64_t kMiB = 1 << 20;

// A run that stops inside a folder (the user's cancel during a copy, or a target found full)
// still tells what was done in that folder: its remark comes first, then the reason of the stop
// on a line of its own.
TEST_F(EngineTest, AStopInsideAFolderWritesTheFoldersRemarkThenTheStopOnALineOfItsOwn) {
    enum class Stop { CancelInsideACopy, TargetFull };
    struct Case {
        const char* what;
        bool allFiles;
        Stop stop;
        std::string expectedBeforeStop; // the end of what precedes the stop's line
    };
    const std::string pictures = "    4 files in {source folder}" + Native("Pictures/");
    const Case cases[] = {
        {"all files, cancelled", true, Stop::CancelInsideACopy, pictures + "  Only 2 files copied."},
        {"all files, target full", true, Stop::TargetFull,
         pictures + CRLF + "      The target drive is full." + CRLF + "  Only 2 files copied."},
        {"modified files, cancelled", false, Stop::CancelInsideACopy,
         "  0 modified files and 3 files not previously backed up.  2 files copied."},
        {"modified files, target full", false, Stop::TargetFull,
         "      The target drive is full." + CRLF +
             "  0 modified files and 3 files not previously backed up.  " + "2 files copied."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir local;
        // The source folder's path is long enough for the count lines to name it as a placeholder.
        setup.txbDirectory = {local.createFolder("a-source-folder-of-some-length"),
                              local.createFolder("tgt")};
        setup.txbReportFile = local.path("report.txt");
        Include({"Pictures"});
        local.createFile("a-source-folder-of-some-length/Pictures/a.jpg", "a");
        local.createFile("a-source-folder-of-some-length/Pictures/b.jpg", "b");
        local.createFile("a-source-folder-of-some-length/Pictures/c-big.bin", std::string(4 * kMiB, 'c'));
        local.createFile("a-source-folder-of-some-length/Pictures/d.jpg", "d");
        state.blnScheduledTask = true;
        CopyFaultGuard fault(c.stop == Stop::CancelInsideACopy
                                 ? CopyFaultGuard::HoldAfter(kMiB, [this] { state.blnStop = true; })
                                 : platform::CopyFaultPlan{});
        std::optional<ScopedTargetDiskSpaceForTesting> disk;
        if (c.stop == Stop::TargetFull) {
            // Room for the first two files, none once they are there.
            disk.emplace([&local](const std::string&, double& freeBytes, double& totalBytes) {
                freeBytes = local.exists("tgt/Pictures/b.jpg") ? 0 : 1e8;
                totalBytes = 1e10;
                return 0;
            });
        }

        ASSERT_EQ(c.allFiles ? BackupAll() : BackupModified(), intResultDone);

        const std::string text = local.readFile("report.txt");
        const std::string stopText = GetProgramText(c.stop == Stop::TargetFull ? 1109 : 49);
        EXPECT_NE(text.find(c.expectedBeforeStop + CRLF + stopText + CRLF), std::string::npos) << text;
        EXPECT_EQ(state.lngTotalNumFilesCopied, 2);
        EXPECT_FALSE(local.exists("tgt/Pictures/c-big.bin"));
        EXPECT_FALSE(local.exists("tgt/Pictures/d.jpg"));
    }
}

} // namespace
} // namespace kestrel::testing
