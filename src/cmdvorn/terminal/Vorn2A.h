#pragma once
// A newer-model terminal (plain-text protocol) on the concentrator network
// or behind the Ethernet bridge. Besides the base settings it knows where
// plant code, company code and employee number lie in a badge code, and
// caches a few terminal parameters once read.
#include "Vorn.h"

#include <array>
#include <cstdint>

struct BadgeField {
    int position = 0;  // from 0
    int length = 0;    // 0: the fixed text is used instead
    zString fixedText;
};

struct BadgeLayout {
    BadgeField plant{0, 0, ""};
    BadgeField company{4, 2, "00"};
    BadgeField employee{9, 6, ""};
};

class Vorn2A : public Vorn {
public:
    // The terminal parameters kept after their first query.
    static constexpr std::array<int, 7> kCachedParameters = {23, 31, 32, 33, 35, 46, 51};

    explicit Vorn2A(VornSettings settings) : Vorn(std::move(settings)) { cache_.fill(-1); }

    const BadgeLayout& badgeLayout() const { return badge_; }
    void setBadgeLayout(const BadgeLayout& layout) { badge_ = layout; }

    // Cached value of a parameter, -1 until read or for other numbers.
    std::int16_t cachedParameter(int number) const;
    void cacheParameter(int number, std::int16_t value);

private:
    static int cacheSlot(int number);

    BadgeLayout badge_;
    std::array<std::int16_t, kCachedParameters.size()> cache_{};
};
