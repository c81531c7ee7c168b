#pragma once
// The terminal a line-protocol fuzz input speaks for: its first kSetup bytes
// choose the model, the cause mode and the badge layout.
#include "LineRecord.h"

#include <cstddef>
#include <cstdint>

constexpr std::size_t kLineFuzzSetup = 6;

inline LineContext lineFuzzContext(const uint8_t* data) {
    LineContext context;
    context.model = (data[0] & 1) ? TerminalModel::VornT3 : TerminalModel::VornT2;
    context.causeMode = data[1] % 5;
    context.badge.company = {data[2] % 40, data[3] % 12, "00"};
    context.badge.employee = {data[4] % 40, data[5] % 12, ""};
    context.terminalNumber = data[0];
    context.year = 2026;
    return context;
}
