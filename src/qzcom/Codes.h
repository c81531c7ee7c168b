#pragma once
// Result codes shared by the link and every operation. The entry's own codes
// are in the public header; the numbers here are what hosts already expect.
namespace qzcom {

enum Code : int {
    kDone = 0,
    kLinkFailed = 1,        // open failed; serial: 1024 bytes without CR
    kModemBusy = 2,
    kModemNoCarrier = 3,
    kLocalFileFailed = 4,   // a local file could not be written, synced or replaced
    kConnectionReset = 10,  // the TCP peer reset the connection on the last attempt
    kTimeout = 91,          // no complete reply in time; socket: over 1024 bytes without CR
    kStopped = 92,          // the operator pressed Stop
    kTransferBound = 94,    // a file transfer went past its block, size or time bound
    kFileMissing = 98,
    kUnknownCommand = 9999,
    kBusy = -1,
    kNotOpen = -2,
    kRequestTooLong = -3,
    kNoWorkDir = -4,        // the working directory could not be made current
    kInternalError = -5,    // an unexpected failure inside the library
};

}  // namespace qzcom
