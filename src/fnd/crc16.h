#pragma once
// CRC-16/ARC (polynomial 0x8005 reflected as 0xA001, initial 0, no final XOR):
// the one checksum of telegrams and of the binary records terminals exchange.
#include <cstddef>
#include <cstdint>

namespace fnd {

std::uint16_t crc16(const void* data, std::size_t length, std::uint16_t crc = 0);

}  // namespace fnd
