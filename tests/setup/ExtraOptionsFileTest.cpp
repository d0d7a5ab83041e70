// The options beyond the plain mirror in setup files and the last-run file: after the plain
// lines, one `name=value` line each, only when one of them is set.
#include "setup/ExtraOptionsLines.h"
#include "setup/LastRun.h"
#include "setup/SetupFile.h"
#include "support/EnvironmentGuard.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kestrel;
using kestrel::testing::TempDir;

namespace {

const std::string kPlainLines =
    "/home/anna/\r\n/media/anna/USB/\r\n"
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 4 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n"
    "\r\n\r\n 0 \r\n*.txt\r\n";

kestrel::Setup PlainSetup() {
    kestrel::Setup setup;
    setup.txbDirectory = {"/home/anna/", "/media/anna/USB/"};
    setup.txbFileExtension = "*.txt";
    return setup;
}

ExtraOptions AllOptions() {
    ExtraOptions extra;
    extra.bRemoveDeleted = true;
    extra.lngMaxRemove = 250;
    extra.intKeepVersionsDays = 30;
    extra.bCopyLinksAsLinks = true;
    extra.bKeepAttributes = true;
    return extra;
}

} // namespace

TEST(ExtraOptionsFile, APlainSetupWritesTheSameBytesAsEver) {
    EXPECT_EQ(FormatSetupFile(PlainSetup()), kPlainLines);
}

TEST(ExtraOptionsFile, TheOptionsFollowThePlainLinesOneNameAndValueALine) {
    kestrel::Setup setup = PlainSetup();
    setup.extra.intKeepVersionsDays = 9;
    EXPECT_EQ(FormatSetupFile(setup), kPlainLines + "remove-deleted=0\r\nmax-remove=0\r\nkeep-versions=9\r\n"
                                                    "links=0\r\nkeep-attributes=0\r\n");
}

TEST(ExtraOptionsFile, SetupFilesAndTheLastRunFileKeepThemAndOldFilesLoadAsBefore) {
    TempDir dir;
    kestrel::testing::EnvironmentGuard savedHome{kestrel::testing::kConfigHomeVariable};
    kestrel::testing::SetEnvironment(kestrel::testing::kConfigHomeVariable, dir.path("config"));
    for (const bool withOptions : {false, true}) {
        SCOPED_TRACE(withOptions ? "with the options" : "a plain setup");
        kestrel::Setup saved;
        saved.txbDirectory = {kestrel::testing::Native(dir.createFolder("source")),
                              kestrel::testing::Native(dir.createFolder("target"))};
        if (withOptions)
            saved.extra = AllOptions();

        ASSERT_TRUE(SaveSetupFile(saved, dir.path("a.zbk")));
        kestrel::Setup loaded;
        loaded.extra = withOptions ? ExtraOptions{} : AllOptions(); // replaced by the file's
        EXPECT_EQ(LoadOperationFile(loaded, dir.path("a.zbk"), {true, nullptr}), 0);
        EXPECT_EQ(loaded, saved);

        ASSERT_TRUE(SaveSetupForNextRun(saved));
        kestrel::Setup lastRun;
        int result = -1;
        EXPECT_TRUE(LoadSetupFromLastRun(lastRun, {false, nullptr}, &result));
        EXPECT_EQ(result, 0);
        EXPECT_EQ(lastRun, saved);
    }
}

TEST(ExtraOptionsFile, OptionLinesLoadOrFailAsNumberLinesDo) {
    struct Case {
        const char* line;
        int result;
        ExtraOptions expected;
    };
    ExtraOptions removing;
    removing.bRemoveDeleted = true;
    ExtraOptions limited;
    limited.lngMaxRemove = 12;
    const Case cases[] = {
        {"remove-deleted=1", 0, removing}, {" max-remove = 12 ", 0, limited},
        {"a-later-option=5", 0, {}},   // a file of a later version still loads
        {"no option at all", 0, {}},   // nor is what another program added a failure
        {"max-remove=many", 13, {}},   // Type mismatch, as a number line
        {"remove-deleted=2", 380, {}}, // a value its field refuses
        {"keep-versions=-1", 380, {}},     {"keep-versions=99999999999", 380, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ExtraOptions read;
        EXPECT_EQ(ReadExtraOptionLine(c.line, read), c.result);
        EXPECT_EQ(read, c.expected);
    }
}

TEST(ExtraOptionsFile, ADamagedOptionLineIsAFailedRead) {
    TempDir dir;
    dir.createFile("bad.zbk", kPlainLines + "max-remove=lots\r\n");
    kestrel::Setup loaded;
    EXPECT_EQ(LoadOperationFile(loaded, dir.path("bad.zbk"), {true, nullptr}), 13);
}
