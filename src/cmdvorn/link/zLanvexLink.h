#pragma once
// The TCP link to the Ethernet-to-serial bridge that serves several newer-
// model terminals on its serial side. A node byte in front of a text selects
// the terminal; texts beginning with "////" are for the bridge itself. The
// link keeps which nodes the bridge reports present (asked at most every
// 3 s) and one mailbox per node for a reply that arrived while another
// node was being served.
#include "zTalkingSocket.h"

#include <array>
#include <functional>

class zLanvexLink : public zTalkingSocket {
public:
    static constexpr int kNodes = 32;
    static constexpr int kMailboxSize = 128;
    static constexpr long long kStatusMaxAgeMs = 3000;

    zLanvexLink(const zString& host, int port);

    static constexpr int kQuietGapMs = 50;

    // One message from the bridge: its first byte (a node number, or the
    // first byte of a bridge reply) and the text after it, up to a line feed
    // or until the bridge falls quiet for kQuietGapMs. The line end is not
    // kept; text beyond size - 1 bytes is read and dropped, so an oversized
    // message never turns into several. NUL-terminated; false when nothing
    // arrived within the read time-out.
    bool readMessage(char* buffer, std::size_t size, std::size_t& count);

    // Node 1..32 answers the bridge; other numbers are never present.
    bool nodePresent(int node);
    // The waiting reply of a node, or nullptr; nodes outside 1..32 have none.
    const char* mailbox(int node) const;
    // Stores (at most 128 characters) or clears (nullptr) a node's mailbox.
    void setMailbox(int node, const char* text);

    // Milliseconds on a steady clock; tests replace it.
    void setClock(std::function<long long()> nowMs) { nowMs_ = std::move(nowMs); }

private:
    static bool validNode(int node) { return node >= 1 && node <= kNodes; }

    std::array<std::array<char, kMailboxSize + 1>, kNodes> mailboxes_{};
    std::array<char, kNodes> status_{};
    long long statusReadAt_ = 0;
    bool statusRead_ = false;
    std::function<long long()> nowMs_;
};
