#pragma once
// The socket links' error-code space: the Windows Sockets numbers
// (10004..11015) that log readers know, translated from errno and from
// resolver results, with the texts of each code.
#include <string>

namespace wsa {

constexpr int kInterrupted = 10004;
constexpr int kWouldBlock = 10035;
constexpr int kInProgress = 10036;
constexpr int kAfNoSupport = 10047;
constexpr int kNetReset = 10052;
constexpr int kConnReset = 10054;
constexpr int kNoBufs = 10055;
constexpr int kNotConn = 10057;
constexpr int kShutdown = 10058;
constexpr int kTimedOut = 10060;
constexpr int kConnRefused = 10061;
constexpr int kDisconnected = 10101;  // the peer closed the connection
constexpr int kHostNotFound = 11001;
constexpr int kTryAgain = 11002;
constexpr int kNoRecovery = 11003;
constexpr int kNoData = 11004;  // a name without an address

// errno values without a socket meaning keep the tool's general numbering
// (winError.h), so that no two meanings share one code.
int fromErrno(int err);
// A getaddrinfo/getnameinfo result (EAI_*); errnoValue serves EAI_SYSTEM.
int fromResolver(int eai, int errnoValue);

// "WSAETIMEDOUT, Connection timed out." and the like; codes without a row
// give "Unknown WinSock Error Number %d (WSABASEERR + %d)" from 10000 up and
// "Unknown WinSock Error Number %d" below. Empty for 0.
std::string errorText(int code);

}  // namespace wsa
