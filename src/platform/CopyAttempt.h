#pragma once

#include "platform/CopyFlow.h"
#include "platform/DirectoryHandle.h"
#include "platform/ErrorCodes.h"

#include <cstdint>
#include <memory>
#include <string>

// Inside the platform only: one try at a copy, as each system takes its steps. FileCopy.cpp
// puts them in order once for every system (the fault plan, the second try of a source that
// changed, the result).
namespace kestrel::platform {

struct CopyTime {
    std::int64_t seconds = 0; // since 1970-01-01 UTC
    std::int32_t nanoseconds = 0;
};

class CopyAttempt {
public:
    virtual ~CopyAttempt() = default;

    // Opens the source (without blocking on a pipe put in its place) and reads its status once
    // its last change lies safely in the past; by its name in `folder` where that is open.
    virtual Error openSource(const std::string& path, const DirectoryHandle* folder) = 0;
    virtual bool sourceIsRegular() const = 0;
    virtual std::int64_t sourceSize() const = 0;
    virtual CopyTime sourceModified() const = 0;
    // Whether anything stands under `name` in the target folder (a link is not followed).
    virtual bool targetExists(const std::string& name) const = 0;
    // The temporary file the data goes to, in the target folder.
    virtual Error createTemporary() = 0;
    // Moves the data into the temporary file, each piece through `flow`.
    virtual DataResult moveData(CopyFlow& flow) = 0;
    // Reads the source's status again: whether it is the one read when it was opened.
    virtual bool sourceUnchanged() = 0;
    // Gives the temporary file the source's permissions or attributes and the time `modified`;
    // with `keepAttributes` the exact mode, owner and extended attributes, the kinds the target
    // refused added to `notKept`.
    virtual Error stamp(CopyTime modified, bool keepAttributes, unsigned& notKept) = 0;
    // Puts the temporary file in place under `name`; what stands there is replaced only with
    // `overwrite` (error 58 otherwise).
    virtual Error place(const std::string& name, bool overwrite) = 0;
    // Whatever was not placed is dropped when the attempt goes.
};

// An attempt of the running system's into `folder`, which is open.
std::unique_ptr<CopyAttempt> newCopyAttempt(const DirectoryHandle& folder);

} // namespace kestrel::platform
