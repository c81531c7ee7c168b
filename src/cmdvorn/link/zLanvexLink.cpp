#include "zLanvexLink.h"

#include "winError.h"
#include "zDeadline.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr char kStatusQuery[] = "////Z";
constexpr int kStatusReplySize = 64;
constexpr int kStatusSettleMs = 50;
// A peer that never ends its message cannot hold the reader longer than this.
constexpr std::size_t kMaxMessageBytes = 4096;

long long steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

zLanvexLink::zLanvexLink(const zString& host, int port) : zTalkingSocket(host, port), nowMs_(steadyMs) {
    status_.fill('0');
}

bool zLanvexLink::nodePresent(int node) {
    if (!validNode(node)) return false;
    long long now = nowMs_();
    if (!statusRead_ || now - statusReadAt_ > kStatusMaxAgeMs) {
        statusRead_ = true;
        statusReadAt_ = now;
        status_.fill('0');
        if (writeString(kStatusQuery)) {
            fnd::sleepMs(kStatusSettleMs);
            char reply[kStatusReplySize + 1] = {};
            std::size_t count = 0;
            if (read(reply, kStatusReplySize, count) && reply[0] == 'Z') {
                for (int i = 0; i < kNodes && 1 + static_cast<std::size_t>(i) < count; ++i) status_[i] = reply[1 + i];
            }
        }
    }
    return status_[node - 1] == '1';
}

const char* zLanvexLink::mailbox(int node) const {
    if (!validNode(node) || mailboxes_[node - 1][0] == '\0') return nullptr;
    return mailboxes_[node - 1].data();
}

void zLanvexLink::setMailbox(int node, const char* text) {
    if (!validNode(node)) return;
    auto& box = mailboxes_[node - 1];
    box.fill('\0');
    if (text) std::strncpy(box.data(), text, kMailboxSize);
}

bool zLanvexLink::readMessage(char* buffer, std::size_t size, std::size_t& count) {
    count = 0;
    if (!buffer || size == 0) {
        lastError_ = fnd::kErrInvalidParameter;
        return false;
    }
    if (!held_.empty()) {
        count = std::min(held_.front().size(), size - 1);
        std::memcpy(buffer, held_.front().data(), count);
        buffer[count] = '\0';
        held_.pop_front();
        return true;
    }
    return receiveMessage(buffer, size, count, kReplyWait);
}

void zLanvexLink::listen(int ms) {
    const fnd::Deadline deadline(ms);
    char message[kMaxMessageBytes + 1];
    std::size_t count = 0;
    while (!deadline.passed() && held_.size() < kMaxHeldMessages &&
           receiveMessage(message, sizeof message, count, deadline.msLeft()))
        held_.emplace_back(message, count);
    // Nothing more arrived, or the link failed: the read after the pause says which.
    fnd::sleepMs(deadline.msLeft());
}

void zLanvexLink::purge(Purge which) {
    held_.clear();
    zTalkingSocket::purge(which);
}

bool zLanvexLink::close() {
    held_.clear();
    return zTalkingSocket::close();
}

bool zLanvexLink::receiveMessage(char* buffer, std::size_t size, std::size_t& count, int firstByteWaitMs) {
    count = 0;
    buffer[0] = '\0';
    char c = 0;
    if (!(firstByteWaitMs == kReplyWait ? readByte(c) : readByteWithin(c, firstByteWaitMs))) return false;
    buffer[count++] = c;

    for (std::size_t seen = 1; seen < kMaxMessageBytes && readByteWithin(c, kQuietGapMs); ++seen) {
        if (c == '\n') break;
        if (count + 1 < size) buffer[count++] = c;
    }
    if (count > 1 && buffer[count - 1] == '\r') --count;
    buffer[count] = '\0';
    return true;
}
