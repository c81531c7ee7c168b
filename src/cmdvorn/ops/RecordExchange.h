#pragma once
// One fixed-size record read from or sent to a terminal. Each returns None
// or the error: the terminal's status after a failed exchange, or
// BadTelegram when the reply carries a record of another size (logged; the record is
// then left zeroed rather than half filled).
#include "RunError.h"

#include <cstdint>

class Vorn;

RunError fetchRecord(Vorn& terminal, const char* text, std::uint8_t* record, int size);
// After a successful exchange: None when the reply carried exactly `size`
// bytes of record; otherwise BadTelegram, logged, and the record zeroed.
// A short reply must never pass for a record of zeros, whose check is 0.
RunError checkFetched(Vorn& terminal, const char* text, std::uint8_t* record, int size);
RunError storeRecord(Vorn& terminal, const char* text, const std::uint8_t* record, int size);
