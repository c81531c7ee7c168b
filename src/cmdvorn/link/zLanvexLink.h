#pragma once
// The TCP link to the Ethernet-to-serial bridge that serves several newer-
// model terminals on its serial side. A node byte in front of a text selects
// the terminal; texts beginning with "////" are for the bridge itself. The
// link keeps which nodes the bridge reports present (asked at most every
// 3 s) and one mailbox per node for a reply that arrived while another
// node was being served.
#include "zTalkingSocket.h"

#include <array>
#include <deque>
#include <functional>
#include <string>

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
    // Waits ms, taking apart the messages that arrive meanwhile: a pause of
    // the reader must not run two messages together that only a quiet gap
    // separates. readMessage hands them out first; a new request (purge)
    // drops them. At most kMaxHeldMessages are held; later ones wait unread.
    void listen(int ms);
    static constexpr std::size_t kMaxHeldMessages = 256;

    void purge(Purge which) override;
    bool close() override;

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
    // One message off the socket, as readMessage describes, its first byte
    // waited for firstByteWaitMs, or as a reply (kReplyWait).
    static constexpr int kReplyWait = -1;
    bool receiveMessage(char* buffer, std::size_t size, std::size_t& count, int firstByteWaitMs);

    std::array<std::array<char, kMailboxSize + 1>, kNodes> mailboxes_{};
    std::array<char, kNodes> status_{};
    long long statusReadAt_ = 0;
    bool statusRead_ = false;
    std::function<long long()> nowMs_;
    std::deque<std::string> held_;
};
