// Feeds arbitrary employee-file lines to the line reader, in the default
// syntax and in a configured layout taken from the first bytes, and the
// resulting employee through every record format and back.
#include "EMPHLP_C.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// A layout of up to 15 fields: a type word and a length per byte pair.
void layoutFrom(const uint8_t* data, size_t size, LINE_FORMAT& layout) {
    static const char* kWords[] = {"MATRICOLA", "NAME", "COMPANY", "TERMINAL", "JC", "JO", "INFO1", "INFO8", "INFO9", "DUMMY"};
    layout = LINE_FORMAT();
    for (size_t i = 0; i + 1 < size && layout.count < LINE_FORMAT::kMaxFields; i += 2) {
        FLD_FMT_t& field = layout.fields[layout.count++];
        std::strcpy(field.name, kWords[data[i] % 10]);
        field.length = data[i + 1];
    }
}

void roundTrip(const EmployeeData& e) {
    std::uint8_t record[EMPHLP_C::kMaxRecordSize];
    for (EmployeeFormat f : {EmployeeFormat::US, EmployeeFormat::UM, EmployeeFormat::EM}) {
        EMPHLP_C::encode(f, e, record);
        EmployeeData back;
        if (!EMPHLP_C::decode(f, record, back) || back.employee != e.employee || back.company != e.company)
            __builtin_trap();
        zString line = EMPHLP_C::receivedLine(f, back, e.terminal);
        if (line.length() == 0) __builtin_trap();
    }
    std::uint8_t personal[EMPHLP_C::kPersonalSize];
    EMPHLP_C::encodePersonal(e, personal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zLogger log("/dev/null");
    if (size == 0) return 0;
    std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);

    LINE_FORMAT layout;
    if (data[0] & 1) {
        layoutFrom(data + 1, size - 1 < 30 ? size - 1 : 30, layout);
        layout.separator = (data[0] & 2) ? ';' : 0;
    }
    EMPHLP_C helper(layout, log);
    EmployeeData e;
    if (helper.parseLine(line, e)) {
        if (std::strlen(e.name) > 20) __builtin_trap();
        for (const auto& text : e.texts)
            if (std::strlen(text) > 20) __builtin_trap();
        roundTrip(e);
    }

    // Received records are outside input too.
    EmployeeData received;
    for (EmployeeFormat f : {EmployeeFormat::US, EmployeeFormat::UM, EmployeeFormat::EM})
        if (size >= static_cast<size_t>(EMPHLP_C::recordSize(f)) && EMPHLP_C::decode(f, data, received))
            EMPHLP_C::receivedLine(f, received, 1);
    return 0;
}
