#pragma once
// One fixed-size record read from or sent to a terminal. Each returns 0 or
// the error code: the terminal's status after a failed exchange, or 137
// when the reply carries a record of another size (logged; the record is
// then left zeroed rather than half filled).
#include <cstdint>

class Vorn;

constexpr int kWrongRecordSize = 137;

int fetchRecord(Vorn& terminal, const char* text, std::uint8_t* record, int size);
int storeRecord(Vorn& terminal, const char* text, const std::uint8_t* record, int size);
