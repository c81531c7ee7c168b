#include "winError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fnd {
namespace {

struct ErrnoMap {
    int err;
    int code;
};

constexpr ErrnoMap kErrnoMap[] = {
    {EPERM, 5},        {ENOENT, 2},        {ESRCH, 2},          {EIO, 1117},        {ENXIO, 2},
    {E2BIG, 87},       {EBADF, 6},         {ENOMEM, 8},         {EACCES, 5},        {EFAULT, 487},
    {EBUSY, 170},      {EEXIST, 80},       {ENODEV, 2},         {ENOTDIR, 3},       {EISDIR, 5},
    {EINVAL, 87},      {ENFILE, 4},        {EMFILE, 4},         {ENOTTY, 1},        {EFBIG, 112},
    {ENOSPC, 112},     {EROFS, 19},        {EPIPE, 109},        {ENAMETOOLONG, 206}, {ENOSYS, 120},
    {ENOTSUP, 50},     {ETIMEDOUT, 1460},  {EAGAIN, 997},       {EINTR, 995},       {ECANCELED, 995},
};

struct TextRow {
    int code;
    const char* text;
};

constexpr TextRow kTexts[] = {
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough storage is available to process this command."},
    {13, "The data is invalid."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {31, "A device attached to the system is not functioning."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {112, "There is not enough space on the disk."},
    {120, "This function is not supported on this system."},
    {121, "The semaphore timeout period has expired."},
    {170, "The requested resource is in use."},
    {206, "The filename or extension is too long."},
    {487, "Attempt to access invalid address."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {997, "Overlapped I/O operation is in progress."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1167, "The device is not connected."},
    {1460, "This operation returned because the timeout period expired."},
};

}  // namespace

int winErrorFromErrno(int err) {
    if (err == 0) return 0;
    for (const auto& m : kErrnoMap)
        if (m.err == err) return m.code;
    return kErrnoFlag | err;
}

std::string winErrorText(int code) {
    if (code == 0) return {};
    if (code & kErrnoFlag) return std::strerror(code & ~kErrnoFlag);
    for (const auto& row : kTexts)
        if (row.code == code) return row.text;
    char buf[64];
    std::snprintf(buf, sizeof buf, "Error %d", code);
    return buf;
}

}  // namespace fnd
