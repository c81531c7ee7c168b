#include "Vorn2A.h"

int Vorn2A::cacheSlot(int number) {
    for (std::size_t i = 0; i < kCachedParameters.size(); ++i)
        if (kCachedParameters[i] == number) return static_cast<int>(i);
    return -1;
}

std::int16_t Vorn2A::cachedParameter(int number) const {
    int slot = cacheSlot(number);
    return slot < 0 ? std::int16_t(-1) : cache_[static_cast<std::size_t>(slot)];
}

void Vorn2A::cacheParameter(int number, std::int16_t value) {
    int slot = cacheSlot(number);
    if (slot >= 0) cache_[static_cast<std::size_t>(slot)] = value;
}
