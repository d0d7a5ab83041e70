#include "EngineFixture.h"
#include "support/CopyFaults.h"

#include "modules/Language.h"

namespace kestrel::testing {
namespace {

const std::string CRLF = "\r\n";

// A folder whose new and modified files were not copied ends its remark without a line
// break; the next folder's count line still starts a line of its own.
TEST_F(EngineTest, EachFolderCountLineStartsALineOfItsOwn) {
    Src("A/m.txt", "modified", At(3, 8, 10, 0));
    Tgt("A/m.txt", "old", At(3, 1, 10, 0));
    Src("A/n.txt", "new in A");
    Src("B/b.txt", "new in B");
    Include({"A", "B"});
    UseReportFile();
    state.blnScheduledTask = true;
    // The copies of A fail; B's goes through.
    const auto fault = FailCopiesOf(source + Native("A/"), platform::err::DeviceIo);

    ASSERT_EQ(BackupModified(), intResultDone);

    const std::string remark = "  1 modified file and 1 file not previously backed up.  ";
    const std::string nextFolder = "    1 file  in {source folder}" + Native("B/");
    for (const std::string& text : {ui.screenText(), ReportFileText()}) {
        EXPECT_NE(text.find(remark + CRLF + nextFolder + CRLF), std::string::npos) << text;
        EXPECT_EQ(text.find(remark + nextFolder), std::string::npos) << text;
    }
    EXPECT_EQ(dir.readFile("tgt/B/b.txt"), "new in B");
    EXPECT_EQ(state.lngTotalNumCopyErrors, 2);
}

} // namespace
} // namespace kestrel::testing
