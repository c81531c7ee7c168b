#pragma once
// A newer-model terminal (plain-text protocol) on the concentrator network
// or behind the Ethernet bridge. Texts go out without envelope or checksum;
// on the bridge a node byte in front selects the terminal and every message
// back starts with the node that sent it, and a message for another node
// waits in that node's mailbox. On the concentrator the shared driver
// binding sends and polls. Besides the base settings the terminal knows
// where plant code, company code and employee number lie in a badge code,
// and caches a few terminal parameters once read.
#include "Rlx40.h"
#include "Vorn.h"

#include <array>
#include <cstdint>
#include <memory>

class zLanvexLink;

class Vorn2A : public Vorn {
public:
    // The terminal parameters kept after their first query.
    static constexpr std::array<int, 7> kCachedParameters = {23, 31, 32, 33, 35, 46, 51};
    static constexpr std::size_t kMessageSize = Rlx40::kPollAreaSize;

    explicit Vorn2A(VornSettings settings) : Vorn(std::move(settings)) { cache_.fill(-1); }
    ~Vorn2A() override;

    const BadgeLayout& badgeLayout() const override { return badge_; }
    void setBadgeLayout(const BadgeLayout& layout) { badge_ = layout; }

    // Cached value of a parameter, -1 until read or for other numbers.
    std::int16_t cachedParameter(int number) const;
    void cacheParameter(int number, std::int16_t value);

    bool connect() override;
    void disconnect() override;
    bool isConnected() override;
    bool hasInput() override;

    // On the bridge the messages that arrive during a pause are kept apart;
    // elsewhere it only waits.
    void idle(int ms) override;

    // Asks the terminal whether it has a message: Rlx40::PollResult codes,
    // or a negative driver code. `buffer` holds at least kMessageSize bytes.
    int pollTerminal(char* buffer);
    // The text after "@CFG <number>" in the terminal's answer; false without one.
    bool queryParameter(int number, zString& value);
    // A cached parameter, asked once; the defaults stand in for no answer
    // or a value below 1. Model 6 is never asked.
    std::int16_t parameter(int number) override;
    // Parameters 7 and 8, asked each time; model 6 is never asked.
    bool badgeFormat(zString& start, zString& length) override;

    std::string_view replyText() const override { return {}; }
    std::string_view replyData() const override { return frame_.received(); }

    // The binding this terminal uses, once it connected on the concentrator.
    const Rlx40* binding() const { return binding_.get(); }

protected:
    bool buildTelegram(const TelegramCommand& command) override;
    bool writeTelegram(const char* text) override;
    bool readTelegram(char* buffer, std::size_t size) override;
    bool readFromLink(zCommDev& link, char* buffer, std::size_t size, std::size_t& count) override;
    bool parseReply() override;
    bool checkReply(const TelegramCommand& command) override;
    void decodeReplyData(TelegramCommand& record) override;

private:
    static int cacheSlot(int number);
    zLanvexLink* bridge() const;
    bool connectBinding();
    bool readFromBridge(char* buffer, std::size_t size);
    bool readFromConcentrator(char* buffer, std::size_t size);
    bool takeMailbox(char* buffer, std::size_t size);
    bool requestIsForBridge() const;

    BadgeLayout badge_;
    std::array<std::int16_t, kCachedParameters.size()> cache_{};
    std::shared_ptr<Rlx40> binding_;
};
