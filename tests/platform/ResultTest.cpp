#include "platform/Result.h"
#include "platform/DirectoryHandle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

namespace kestrel::platform {
namespace {

using kestrel::testing::TempDir;

// A value that can only be moved, as a folder handle or an open file is.
using Owned = std::unique_ptr<std::string>;

TEST(Result, CarriesAValueOrTheErrorThatStoodInItsPlace) {
    Result<Owned> value = std::make_unique<std::string>("text");
    ASSERT_TRUE(value.ok());
    EXPECT_FALSE(value.error());
    EXPECT_EQ(*value.value(), "text");
    const Owned taken = std::move(value).value();
    EXPECT_EQ(*taken, "text");

    Result<Owned> failure = Error::of(err::PermissionDenied);
    EXPECT_FALSE(failure.ok());
    EXPECT_EQ(failure.error().number, err::PermissionDenied);
    EXPECT_EQ(failure.error().description, "Permission denied");
    EXPECT_EQ(std::move(failure).valueOr(nullptr), nullptr);

    EXPECT_EQ(Result<int>(7).valueOr(0), 7);
    EXPECT_EQ(Result<int>(Error::of(err::DiskFull)).valueOr(-1), -1);
}

// A step's Error handed on as a status keeps what it was: none is a success.
TEST(Status, IsOkWithoutAnErrorAndKeepsTheOneItIsGiven) {
    EXPECT_TRUE(Status().ok());
    EXPECT_TRUE(Status(Error{}).ok());
    const Status failed = Error::fromErrno(ENOSPC);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().number, err::DiskFull);
    EXPECT_EQ(failed.error().description, "Disk full");
}

// What the system said when a call failed reaches the caller as the platform made it.
TEST(Result, AFailedOpenCarriesTheSystemsReason) {
    TempDir dir;
    dir.createFile("file.txt", "x");
    const struct {
        const char* what;
        std::string path;
        int number;
        const char* description;
    } cases[] = {
        {"missing", dir.path("missing/"), err::PathNotFound, "Path not found"},
        {"a file", dir.path("file.txt"), err::PathNotFound, "Path not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<DirectoryHandle> opened = DirectoryHandle::open(c.path);
        EXPECT_FALSE(opened.ok());
        EXPECT_EQ(opened.error().number, c.number);
        EXPECT_EQ(opened.error().description, c.description);
    }
}

} // namespace
} // namespace kestrel::platform
