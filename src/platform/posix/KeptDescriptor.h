#pragma once

#include <sys/stat.h>

// Inside the POSIX platform only: what keepFolderAttributes and the file copy share.
namespace kestrel::platform {

// Gives the open entry `to` the owner, extended attributes and mode (the permission bits of
// `mode`) of the open entry `from`, in that order (a new owner clears set-id bits; an access
// list sets the mode). Returns the kept:: kinds the file system of `to` refused; `errnoValue`
// gets a failure that is no refusal.
unsigned keepDescriptorAttributes(int from, int to, mode_t mode, int& errnoValue);

// Whether an errno value says the file system does not hold what was asked of it.
bool refusedByFileSystem(int errnoValue);

} // namespace kestrel::platform
