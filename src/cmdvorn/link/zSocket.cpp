#include "zSocket.h"

#include "WinsockError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool isDottedAddress(const zString& text) {
    if (text.isEmpty()) return false;
    for (int i = 0; i < text.length(); ++i)
        if ((text[i] < '0' || text[i] > '9') && text[i] != '.') return false;
    return true;
}

}  // namespace

zSocket::~zSocket() { closeHandle(); }

bool zSocket::failErrno(int err) {
    lastError_ = wsa::fromErrno(err);
    return false;
}

void zSocket::closeHandle() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool zSocket::setHost(const zString& host) {
    hostText_ = host;
    if (isDottedAddress(host)) {
        name_ = host;
        secondName_ = host;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        if (inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
            lastError_ = wsa::kHostNotFound;
            secondName_.clear();
            return false;
        }
        char official[NI_MAXHOST];
        int rc = getnameinfo(reinterpret_cast<sockaddr*>(&addr), sizeof addr, official, sizeof official, nullptr, 0,
                             NI_NAMEREQD);
        if (rc != 0) {
            // An address without a name record: usable, only unnamed.
            lastError_ = rc == EAI_NONAME ? wsa::kNoData : wsa::fromResolver(rc, errno);
            return false;
        }
        name_ = official;
        return true;
    }

    name_ = host;
    secondName_.clear();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        lastError_ = wsa::fromResolver(rc, errno);
        return false;
    }
    char dotted[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, dotted, sizeof dotted);
    secondName_ = dotted;
    if (found->ai_canonname) name_ = found->ai_canonname;
    freeaddrinfo(found);
    return true;
}

void zSocket::setPort(int number) {
    portNet_ = htons(static_cast<std::uint16_t>(number));
    servent* entry = getservbyport(portNet_, "tcp");
    service_ = entry ? zString(entry->s_name) : zString::format("Port #%d", number);
}

bool zSocket::setService(const zString& serviceName) {
    servent* entry = getservbyname(serviceName.c_str(), "tcp");
    if (!entry) {
        lastError_ = wsa::kNoData;
        return false;
    }
    portNet_ = static_cast<std::uint16_t>(entry->s_port);
    service_ = serviceName;
    return true;
}

int zSocket::port() const { return ntohs(portNet_); }

void zSocket::attachHandle(int fd) {
    closeHandle();
    fd_ = fd;
}

bool zSocket::setSocketOption(int level, int option, int value) {
    if (fd_ < 0) {
        lastError_ = wsa::kNotConn;
        return false;
    }
    if (setsockopt(fd_, level, option, &value, sizeof value) != 0) return failErrno(errno);
    return true;
}

zString zSocket::errorText(int code) const {
    if (code == 0) code = lastError_;
    return zString(wsa::errorText(code));
}
