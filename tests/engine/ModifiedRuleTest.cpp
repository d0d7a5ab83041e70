#include "EngineFixture.h"

#include "platform/FileSystemType.h"
#include "platform/TargetFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace kestrel::testing {
namespace {

// A same-size edit of a file whose copy was made earlier, judged by the file systems the
// source and the target lie on.
struct ModifiedCase {
    const char* name;
    const char* sourceType;
    const char* targetType;
    std::int64_t copyEarlierBySeconds;
    std::int32_t copyEarlierByNanoseconds;
    bool copied;
};

class ModifiedRuleTest : public EngineTest, public ::testing::WithParamInterface<ModifiedCase> {};

void SetTime(const std::string& path, std::int64_t seconds, std::int32_t nanoseconds) {
    ASSERT_FALSE(kestrel::platform::setModificationTime(path, seconds, nanoseconds)) << path;
}

TEST_P(ModifiedRuleTest, SameSizeEditIsCopiedUnlessAFatTimeShiftExplainsIt) {
    const ModifiedCase& c = GetParam();
    platform::ScopedFileSystemTypeForTesting sourceType(
        [&](const std::string&) { return std::string(c.sourceType); });
    // The target's file system as such a disk is found to be (copies there fall back as it needs).
    platform::ScopedFileSystemTraitsForTesting targetTraits(platform::presumedTraitsOf(c.targetType));
    const std::int64_t edited = At(3, 8, 10, 45, 12);
    const std::string file = Src("report.doc", "new text");
    SetTime(file, edited, 0);
    const std::string copy = Tgt("report.doc", "old text");
    std::int64_t seconds = edited - c.copyEarlierBySeconds;
    std::int32_t nanoseconds = -c.copyEarlierByNanoseconds;
    if (nanoseconds < 0) {
        nanoseconds += 1000000000;
        --seconds;
    }
    SetTime(copy, seconds, nanoseconds);
    state.blnScheduledTask = true;
    UseReportFile();

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(dir.readFile("tgt/report.doc"), c.copied ? "new text" : "old text");
    EXPECT_EQ(state.lngTotalNumModifiedFiles, c.copied ? 1 : 0);
    EXPECT_EQ(state.lngTotalNumFilesCopied, c.copied ? 1 : 0);
    // The report says it in its usual words.
    EXPECT_EQ(ReportFileText().find(source + "report.doc " + GetProgramText(66)) != std::string::npos,
              c.copied);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ModifiedRuleTest,
    ::testing::Values(ModifiedCase{"exact_30_minutes", "ext4", "ext4", 1800, 0, true},
                      ModifiedCase{"exact_one_hour", "ext4", "btrfs", 3600, 0, true},
                      ModifiedCase{"exact_eight_hours", "xfs", "ext4", 8 * 3600, 0, true},
                      ModifiedCase{"exact_same_minute", "ext4", "ext4", 20, 0, true},
                      ModifiedCase{"exact_one_second", "ext4", "ext4", 1, 0, true},
                      ModifiedCase{"exact_half_a_second", "ext4", "ext4", 0, 500000000, true},
                      ModifiedCase{"ntfs_half_a_second", "ext4", "ntfs3", 0, 500000000, true},
                      ModifiedCase{"sshfs_seconds_apart", "ext4", "fuse.sshfs", 1, 0, true},
                      ModifiedCase{"exact_unknown_type", "", "", 1800, 0, true},
                      ModifiedCase{"fat_target_one_hour", "ext4", "vfat", 3600, 0, false},
                      ModifiedCase{"fusefat_target_one_hour", "ext4", "fuse.fusefat", 3600, 0, false},
                      ModifiedCase{"fusefat_source_one_hour", "fuse.fusefat", "ext4", 3600, 0, false},
                      ModifiedCase{"fat_target_30_minutes", "ext4", "vfat", 1800, 0, false},
                      ModifiedCase{"exfat_source_one_hour", "exfat", "ext4", 3600, 0, false},
                      ModifiedCase{"fat_target_one_minute", "ext4", "msdos", 60, 0, false},
                      ModifiedCase{"fat_target_five_minutes", "ext4", "vfat", 300, 0, true},
                      ModifiedCase{"fat_target_510_minutes", "ext4", "vfat", 510 * 60, 0, true}),
    [](const ::testing::TestParamInfo<ModifiedCase>& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TheFileSystemsAreAskedOncePerOperationNotPerFile) {
    int asked = 0;
    platform::ScopedFileSystemTypeForTesting types([&](const std::string&) {
        ++asked;
        return std::string("ext4");
    });
    for (int i = 0; i < 20; ++i) {
        Src("f" + std::to_string(i) + ".txt", "new", At(3, 8, 10, 0));
        Tgt("f" + std::to_string(i) + ".txt", "old", At(3, 8, 9, 0));
    }
    state.blnScheduledTask = true;

    ASSERT_EQ(BackupModified(), intResultDone);

    EXPECT_EQ(state.lngTotalNumFilesCopied, 20);
    EXPECT_EQ(asked, 1) << "the source's type; the target's file system is tried once, at the start";
}

} // namespace
} // namespace kestrel::testing
