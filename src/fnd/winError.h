#pragma once
// The tool's one error-code space for links and files: platform errors are
// translated to the Windows numbering that log readers and callers know
// (2 not found, 5 access denied, 6 invalid handle, 87 invalid parameter,
// 120 not implemented ...), each with its standard English text.
#include <string>

namespace fnd {

constexpr int kErrFileNotFound = 2;
constexpr int kErrAccessDenied = 5;
constexpr int kErrInvalidHandle = 6;
constexpr int kErrInvalidParameter = 87;
constexpr int kErrNotImplemented = 120;
constexpr int kErrTimeout = 1460;

// errno values without a Windows counterpart keep their own number with
// this bit set, so that no two meanings share one code.
constexpr int kErrnoFlag = 0x20000000;

int winErrorFromErrno(int err);

// The standard text for a code; empty for 0.
std::string winErrorText(int code);

}  // namespace fnd
