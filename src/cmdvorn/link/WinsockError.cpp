#include "WinsockError.h"

#include "winError.h"

#include <cerrno>
#include <cstdio>
#include <netdb.h>

namespace wsa {
namespace {

struct ErrnoRow {
    int err;
    int code;
};

constexpr ErrnoRow kErrnoRows[] = {
    {EINTR, 10004},          {EBADF, 10009},           {EACCES, 10013},          {EPERM, 10013},
    {EFAULT, 10014},         {EINVAL, 10022},          {EMFILE, 10024},          {ENFILE, 10024},
    {EAGAIN, 10035},         {EINPROGRESS, 10036},     {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},   {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044}, {EOPNOTSUPP, 10045},      {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},   {EADDRINUSE, 10048},      {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},    {ENETRESET, 10052},       {ECONNABORTED, 10053},    {ECONNRESET, 10054},
    {EPIPE, 10054},          {ENOBUFS, 10055},         {ENOMEM, 10055},          {EISCONN, 10056},
    {ENOTCONN, 10057},       {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},   {ELOOP, 10062},           {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},   {ENOTEMPTY, 10066},       {EUSERS, 10068},          {EDQUOT, 10069},
    {ESTALE, 10070},         {EREMOTE, 10071},
};

struct TextRow {
    int code;
    const char* text;
};

constexpr TextRow kTexts[] = {
    {10004, "WSAEALREADY, Operation was interrupted."},
    {10009, "WSAEBADF, Bad file number."},
    {10013, "WSAEACCES, Permission denied."},
    {10014, "WSAEFAULT, Bad address."},
    {10022, "WSAEINVAL, The socket has not been bound with bind() or is already connected."},
    {10024, "WSAEMFILE, No more file descriptors are available."},
    {10035, "WSAEWOULDBLOCK, Socket is marked as non-blocking and the operation would block."},
    {10036, "WSAEINPROGRESS, A blocking operation is in progress."},
    {10037, "WSAEALREADY, The operation is already in progress."},
    {10038, "WSAENOTSOCK, Socket operation on non-socket. A socket created in one process is used by another process."},
    {10039, "WSAEDESTADDRREQ, Destination address required."},
    {10040, "WSAEMSGSIZE, Message too long."},
    {10041, "WSAEPROTOTYPE, Protocol wrong type for socket."},
    {10042, "WSAENOPROTOOPT, Bad protocol option."},
    {10043, "WSAEPROTONOSUPPORT, Protocol not supported."},
    {10044, "WSAESOCKTNOSUPPORT, Socket type not supported."},
    {10045, "WSAEOPNOTSUPP, Operation not supported on socket."},
    {10046, "WSAEPFNOSUPPORT, Protocol family not supported."},
    {10047, "WSEAFNOSUPPORT, Address family not supported by protocol family."},
    {10048, "WSAEADDRINUSE, Triggered by bind() because a process went down without closing a socket."},
    {10049, "WSAEADDRNOTAVAIL, Cannot assign requested address."},
    {10050, "WSAENETDOWN, Network is down."},
    {10051, "WSAENETUNREACH, Network is unreachable."},
    {10052, "WSAENETRESET, Network dropped connection on reset."},
    {10053, "WSAECONNABORTED, Software caused connection abort."},
    {10054, "WSAECONNRESET, Connection reset by peer."},
    {10055, "WSAENOBUFS, No buffer space available."},
    {10056, "WSAEISCONN, Socket is already connected."},
    {10057, "WSAENOTCONN, Socket is not connected."},
    {10058, "WSAESHUTDOWN, Cannot send after socket shutdown."},
    {10059, "WSAETOOMANYREFS, Undocumented WinSock error."},
    {10060, "WSAETIMEDOUT, Connection timed out."},
    {10061, "WSAECONNREFUSED, Connection refused."},
    {10063, "WSAENAMETOOLONG, Undocumented WinSock error."},
    {10064, "WSAEHOSTDOWN, Networking subsystem not started."},
    {10065, "WSAEHOSTUNREACH, No route to host."},
    {10066, "WSAENOTEMPTY, Undocumented WinSock error."},
    {10067, "WSAEPROCLIM, Undocumented WinSock error."},
    {10068, "WSAEUSERS, Undocumented WinSock error."},
    {10069, "WSAEDQUOT, Undocumented WinSock error."},
    {10070, "WSAESTALE, Undocumented WinSock error."},
    {10071, "WSAEREMOTE, Undocumented WinSock error."},
    {10091, "WSASYSNOTREADY, Network subsystem is unavailable."},
    {10092, "WSAVERNOTSUPPORTED, WinSock version is not supported."},
    {10093, "WSANOTINITIALISED, Successful WSAStartup() not yet performed."},
    {10101, "WSAEDISCON, Graceful shutdown in progress."},
    {11001, "WSAHOST_NOT_FOUND, Host not found."},
    {11002, "WSATRY_AGAIN, Non-authoritative host not found."},
    {11003, "WSANO_RECOVERY, Non-recoverable error."},
    {11004, "WSANO_DATA or WSANO_ADDRESS, Valid name, no data record of requested type."},
    {11005, "WSA_QOS_RECEIVERS, At least one reserve has arrived."},
    {11006, "WSA_QOS_SENDERS, At least one path has arrived."},
    {11007, "WSA_QOS_NO_SENDERS, There are no senders."},
    {11008, "WSA_QOS_NO_RECEIVERS, There are no receivers."},
    {11009, "WSA_QOS_REQUEST_CONFIRMED, Reserve has been confirmed."},
    {11010, "WSA_QOS_ADMISSION_FAILURE, Error due to lack of resources."},
    {11011, "WSA_QOS_POLICY_FAILURE, Rejected for administrative reasons - bad credentials."},
    {11012, "WSA_QOS_BAD_STYLE, Unknown or conflicting style."},
    {11013, "WSA_QOS_BAD_OBJECT, Problem with some part of the filterspec or providerspecific buffer in general."},
    {11014, "WSA_QOS_TRAFFIC_CTRL_ERROR, Problem with some part of the flowspec."},
    {11015, "WSA_QOS_GENERIC_ERROR, General QOS error."},
};

}  // namespace

int fromErrno(int err) {
    if (err == 0) return 0;
    for (const auto& row : kErrnoRows)
        if (row.err == err) return row.code;
    return fnd::winErrorFromErrno(err);
}

int fromResolver(int eai, int errnoValue) {
    switch (eai) {
        case 0: return 0;
        case EAI_NONAME: return kHostNotFound;
        case EAI_AGAIN: return kTryAgain;
        case EAI_FAIL: return kNoRecovery;
        case EAI_NODATA:
        case EAI_ADDRFAMILY: return kNoData;
        case EAI_FAMILY: return kAfNoSupport;
        case EAI_SOCKTYPE: return 10044;
        case EAI_MEMORY: return kNoBufs;
        case EAI_SERVICE: return 10109;
        case EAI_SYSTEM: return errnoValue ? fromErrno(errnoValue) : kNoRecovery;
        default: return kNoRecovery;
    }
}

std::string errorText(int code) {
    if (code == 0) return {};
    for (const auto& row : kTexts)
        if (row.code == code) return row.text;
    // Codes that came from the general numbering keep their own texts.
    if (code & fnd::kErrnoFlag) return fnd::winErrorText(code);
    char buf[96];
    if (code >= 10000)
        std::snprintf(buf, sizeof buf, "Unknown WinSock Error Number %d (WSABASEERR + %d)", code, code - 10000);
    else
        std::snprintf(buf, sizeof buf, "Unknown WinSock Error Number %d", code);
    return buf;
}

}  // namespace wsa
