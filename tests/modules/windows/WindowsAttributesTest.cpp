// The Hidden and System attributes, which only Windows has.
#include "modules/FileProc.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kestrel;
using kestrel::testing::TempDir;
namespace file_attribute = kestrel::platform::file_attribute;

TEST(WindowsAttributes, SystemIsSetAndReadOnlyAndHiddenCleared) {
    TempDir dir;
    const std::string file = dir.createFile("f.txt", "x");
    const std::string other = dir.createFile("other.txt", "x");
    EXPECT_FALSE(IsSystemFile(file));
    SetSystemAttribute(file);
    EXPECT_TRUE(IsSystemFile(file));
    SetSystemAttribute(file); // already set: stays set
    EXPECT_TRUE(IsSystemFile(file));
    EXPECT_FALSE(IsSystemFile(other));

    ASSERT_FALSE(platform::setHiddenOrSystem(file, file_attribute::Hidden, true));
    ASSERT_FALSE(platform::setPermissions(file, platform::statPath(file).mode & ~0222u));
    ASSERT_TRUE(IsReadOnlyFile(file));
    ClearReadOnlyAndHidden(file);
    EXPECT_EQ(platform::statPath(file).attributes, file_attribute::System)
        << "read-only and hidden cleared, system kept";
    ASSERT_FALSE(platform::setHiddenOrSystem(file, file_attribute::System, false));
    EXPECT_FALSE(IsSystemFile(file));
}
