#pragma once
// A siren schedule entry ("AL,GE", "AL,SE"), 13 bytes little-endian: start
// time, day bits, duration, the CRC-16 of those seven bytes, and the day of
// the last activation.
#include <cstdint>

struct AlarmRecord {
    static constexpr int kSize = 13;
    static constexpr int kCheckedBytes = 7;

    std::uint32_t startTime = 0;       // seconds after midnight
    std::uint8_t days = 0;             // bits 0-6
    std::uint16_t duration = 0;
    std::uint16_t crc = 0;             // of bytes 0-6
    std::uint32_t lastActivation = 0;  // a terminal time

    // Today's day number when the start time has already passed at `now`
    // (a terminal time), else 0: the alarm is not rung again today.
    static std::uint32_t lastActivationAt(std::uint32_t startTime, std::uint32_t now);

    static AlarmRecord decode(const std::uint8_t (&bytes)[kSize]);
    // Writes the record with the CRC of its first seven bytes (`crc` is not used).
    void encode(std::uint8_t (&bytes)[kSize]) const;
};
