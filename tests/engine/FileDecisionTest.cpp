#include "engine/FileDecision.h"

#include "report/OperationState.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrel::testing {
namespace {

constexpr std::int64_t kNoon = 1709985600; // 2024-03-09 12:00:00 UTC
constexpr std::int64_t kDay = 24 * 3600;
constexpr std::int64_t kLarge = kLargeSystemFileSize + 1;

platform::FileStatus File(std::int64_t size, std::int64_t mtime) {
    return RegularFileStatus(size, mtime);
}

// A new file of 100 bytes backed up with the modified files: the facts each row changes.
FileFacts NewFile() {
    FileFacts facts;
    facts.operation = intOperationBackupModifiedFiles;
    facts.fullPath = "/home/ann/src/letter.txt";
    facts.name = "letter.txt";
    facts.source = File(100, kNoon);
    facts.comparison = TimeComparison::KeptAs({platform::TimeKeeping::kNanosecond, false});
    facts.suspectPercent = 50;
    facts.freeBytes = 1e9;
    return facts;
}

struct Row {
    const char* what;
    std::function<void(FileFacts&)> change;
    FileVerdict expected;
};

using S = FileStanding;
using A = FileAction;

TEST(FileDecision, DecidesEveryStandingAndActionFromTheFactsAlone) {
    const Row rows[] = {
        {"new", [](FileFacts&) {}, {S::New, A::Copy}},
        {"unchanged", [](FileFacts& f) { f.target = File(100, kNoon); }, {S::Unchanged, A::None}},
        {"modified by size", [](FileFacts& f) { f.target = File(99, kNoon); }, {S::Modified, A::Copy}},
        {"modified by time", [](FileFacts& f) { f.target = File(100, kNoon - 5); }, {S::Modified, A::Copy}},
        {"all files take an unchanged one",
         [](FileFacts& f) {
             f.operation = intOperationBackupAllFiles;
             f.target = File(100, kNoon);
         },
         {S::Taken, A::Copy}},
        {"the check copies nothing",
         [](FileFacts& f) { f.operation = intOperationCheckBackupState; },
         {S::New, A::None}},
        {"outside the modified-since range",
         [](FileFacts& f) { f.modifiedSince = false; },
         {S::OutsideRange, A::None}},
        {"the target cannot hold it",
         [](FileFacts& f) { f.cannotHold = "bad name"; },
         {S::CannotHold, A::None}},
        {"outside the range wins over what the target cannot hold",
         [](FileFacts& f) {
             f.modifiedSince = false;
             f.cannotHold = "bad name";
         },
         {S::OutsideRange, A::None}},
        {"its copy would be the report file",
         [](FileFacts& f) { f.targetIsReportFile = true; },
         {S::ReportFile, A::None}},
        {"a thumbs.db the user skips",
         [](FileFacts& f) { f.skipThumbs = true; },
         {S::SkippedThumbs, A::None}},
        {"a large system file",
         [](FileFacts& f) {
             f.name = "pagefile.sys";
             f.source.size = kLarge;
         },
         {S::New, A::SkipSystemFile}},
        {"a small system file is copied", [](FileFacts& f) { f.name = "driver.sys"; }, {S::New, A::Copy}},
        {"a large system file wanted by the filter \"sys\"",
         [](FileFacts& f) {
             f.name = "pagefile.sys";
             f.source.size = kLarge;
             f.extensionFilter = "sys";
         },
         {S::New, A::SkipSystemFile}},
        {"a large system file outside the filter",
         [](FileFacts& f) {
             f.name = "pagefile.sys";
             f.source.size = kLarge;
             f.extensionFilter = "txt";
         },
         {S::New, A::Copy}},
        {"a large swap file in a Windows folder",
         [](FileFacts& f) {
             f.name = "386spart.swp";
             f.fullPath = Native("/mnt/c/windows/386spart.swp");
             f.source.size = kLarge;
         },
         {S::New, A::SkipSwapFile}},
        {"a large swap file elsewhere",
         [](FileFacts& f) {
             f.name = "notes.swp";
             f.source.size = kLarge;
         },
         {S::New, A::Copy}},
        {"a folder named like a system file holds none",
         [](FileFacts& f) {
             f.fullPath = "/home/ann/photos.sys/big.raw";
             f.name = "big.raw";
             f.source.size = kLarge;
         },
         {S::New, A::Copy}},
        {"a restore leaves a newer file of the destination",
         [](FileFacts& f) {
             f.keepNewerTarget = true;
             f.target = File(100, kNoon + 60);
         },
         {S::NewerInTarget, A::None}},
        {"a restore replaces an older file of the destination",
         [](FileFacts& f) {
             f.keepNewerTarget = true;
             f.target = File(100, kNoon - 60);
         },
         {S::Modified, A::Copy}},
        {"a restore replaces a destination file later by one second only (whole-second times)",
         [](FileFacts& f) {
             f.keepNewerTarget = true;
             f.target = File(100, kNoon + 1);
         },
         {S::Modified, A::Copy}},
        {"a restore checked reports a newer file of the destination",
         [](FileFacts& f) {
             f.operation = intOperationCheckBackupState;
             f.keepNewerTarget = true;
             f.target = File(7, kNoon + 3600);
         },
         {S::NewerInTarget, A::None}},
        {"a restore asked to overwrite newer files replaces them",
         [](FileFacts& f) { f.target = File(100, kNoon + 60); },
         {S::Modified, A::Copy}},
        {"no byte free", [](FileFacts& f) { f.freeBytes = 0; }, {S::New, A::TargetFull}},
        {"no room for this file", [](FileFacts& f) { f.freeBytes = 100; }, {S::New, A::NoRoom}},
        {"room just enough", [](FileFacts& f) { f.freeBytes = 101; }, {S::New, A::Copy}},
        {"room unknown: the copy goes on", [](FileFacts& f) { f.freeBytes.reset(); }, {S::New, A::Copy}},
        {"room is no matter over an existing copy",
         [](FileFacts& f) {
             f.target = File(99, kNoon);
             f.freeBytes = 0;
         },
         {S::Modified, A::Copy}},
        {"older source warned",
         [](FileFacts& f) {
             f.warnIfEarlier = true;
             f.target = File(100, kNoon + kDay);
         },
         {S::Modified, A::Copy, true, false}},
        {"older source, warning off",
         [](FileFacts& f) { f.target = File(100, kNoon + kDay); },
         {S::Modified, A::Copy}},
        {"smaller source warned",
         [](FileFacts& f) {
             f.warnIfSmaller = true;
             f.target = File(201, kNoon);
         },
         {S::Modified, A::Copy, false, true}},
        {"half the size is not suspicious at 50%",
         [](FileFacts& f) {
             f.warnIfSmaller = true;
             f.target = File(200, kNoon);
         },
         {S::Modified, A::Copy}},
        {"no warning for a new file",
         [](FileFacts& f) {
             f.warnIfEarlier = true;
             f.warnIfSmaller = true;
         },
         {S::New, A::Copy}},
        {"no warning for an unreadable source",
         [](FileFacts& f) {
             f.warnIfSmaller = true;
             f.source.size = 0;
             f.source.errorNumber = 70;
             f.target = File(200, kNoon);
         },
         {S::Modified, A::Copy}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FileFacts facts = NewFile();
        row.change(facts);
        const FileVerdict verdict = DecideFile(facts);
        EXPECT_EQ(verdict.standing, row.expected.standing);
        EXPECT_EQ(verdict.action, row.expected.action);
        EXPECT_EQ(verdict.warnOlder, row.expected.warnOlder);
        EXPECT_EQ(verdict.warnSmaller, row.expected.warnSmaller);
    }
}

TEST(FileDecision, TheRoomIsReadOnlyForABackupOfAFileWithoutCopy) {
    const platform::FileStatus none;
    const platform::FileStatus copy = File(1, kNoon);
    EXPECT_TRUE(NeedsRoomReading(intOperationBackupModifiedFiles, none, true));
    EXPECT_TRUE(NeedsRoomReading(intOperationBackupAllFiles, none, true));
    EXPECT_FALSE(NeedsRoomReading(intOperationBackupAllFiles, copy, true));
    EXPECT_FALSE(NeedsRoomReading(intOperationBackupModifiedFiles, none, false));
    EXPECT_FALSE(NeedsRoomReading(intOperationCheckBackupState, none, true));
}

} // namespace
} // namespace kestrel::testing
