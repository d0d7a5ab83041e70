#include "platform/ErrorCodes.h"

#include <atomic>
#include <cerrno>

namespace kestrel::platform {

int errorNumberFromErrno(int errnoValue, bool forFolder) {
    switch (errnoValue) {
    case 0:
        return 0;
    case EACCES:
    case EPERM:
    case EROFS:
        return err::PermissionDenied;
    case ENOENT:
        return forFolder ? err::PathNotFound : err::FileNotFound;
    case ENOTDIR:
        return forFolder ? err::PathNotFound : err::PathFileAccess;
    case ENOSPC:
#ifdef EDQUOT // a quota is a full disk to its user (Windows' C run-time has no such number)
    case EDQUOT:
#endif
        return err::DiskFull;
    case EEXIST:
        return err::FileAlreadyExists;
    case ENAMETOOLONG:
    case EILSEQ:
    case EINVAL:
        return err::BadFileName;
    case EIO:
        return err::DeviceIo;
    default:
        return err::PathFileAccess;
    }
}

namespace {

std::atomic<ErrorTextSource> errorTextSource{nullptr};

std::string builtInDescription(int number) {
    switch (number) {
    case 0:
        return "";
    case err::Overflow:
        return "Overflow";
    case err::TypeMismatch:
        return "Type mismatch";
    case err::BadFileName:
        return "Bad file name or number";
    case err::FileNotFound:
        return "File not found";
    case err::DeviceIo:
        return "Device I/O error";
    case err::FileAlreadyExists:
        return "File already exists";
    case err::DiskFull:
        return "Disk full";
    case err::InputPastEndOfFile:
        return "Input past end of file";
    case err::PermissionDenied:
        return "Permission denied";
    case err::PathFileAccess:
        return "Path/File access error";
    case err::PathNotFound:
        return "Path not found";
    case err::InvalidPropertyValue:
        return "Invalid property value";
    default:
        return "Application-defined or object-defined error";
    }
}

} // namespace

void setErrorTextSource(ErrorTextSource source) {
    errorTextSource.store(source);
}

std::string errorDescription(int number) {
    if (number == 0)
        return "";
    if (const ErrorTextSource source = errorTextSource.load()) {
        std::string text = source(number);
        if (!text.empty())
            return text;
    }
    return builtInDescription(number);
}

Error Error::fromErrno(int errnoValue, bool forFolder) {
    return of(errorNumberFromErrno(errnoValue, forFolder));
}

Error Error::of(int number) {
    return Error{number, errorDescription(number)};
}

} // namespace kestrel::platform
