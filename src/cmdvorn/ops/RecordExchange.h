#pragma once
// One fixed-size record read from or sent to a terminal. Each returns None
// or the error: the terminal's status after a failed exchange, or
// BadTelegram when the reply carries a record of another size (logged; the record is
// then left zeroed rather than half filled).
#include "RunError.h"

#include <cstdint>

class Vorn;

RunError fetchRecord(Vorn& terminal, const char* text, std::uint8_t* record, int size);
RunError storeRecord(Vorn& terminal, const char* text, const std::uint8_t* record, int size);
