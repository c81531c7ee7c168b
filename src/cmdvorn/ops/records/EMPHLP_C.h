#pragma once
// Employee master data: one line of the employee file read into an
// employee, and an employee turned into the record of one of the three
// terminal formats (US 12 bytes, UM 28, EM 280) or the personal-data record,
// and back into a line of the same syntax when it is received.
#include "RecordLayout.h"
#include "zLogger.h"
#include "zString.h"

#include <cstdint>
#include <string_view>

enum class EmployeeFormat { US, UM, EM };

struct EmployeeData {
    static constexpr int kTextCount = 8;
    static constexpr int kTextSize = 21;  // 20 characters and NUL
    static constexpr int kNoTerminal = -1;  // a terminal number that is not a number

    std::uint8_t company = 0;
    std::uint32_t employee = 0;
    char name[kTextSize] = {};
    int terminal = 0;  // 0: every terminal
    char texts[kTextCount][kTextSize] = {};
    std::uint16_t jc = 0;
    std::uint16_t jo = 0;
    bool disabled = false;  // only ever received
};

class EMPHLP_C {
public:
    static constexpr int kUsSize = 12;
    static constexpr int kUmSize = 28;
    static constexpr int kEmSize = 280;
    static constexpr int kPersonalSize = 175;
    static constexpr int kMaxRecordSize = kEmSize;

    // layout: the [Anagrafiche] layout; without fields the default syntax applies.
    EMPHLP_C(const LINE_FORMAT& layout, zLogger& log) : layout_(layout), log_(log) {}

    // Reads one trimmed line. False (logged) when the default syntax lacks
    // the company, the employee number or the name: the upload stops there.
    bool parseLine(std::string_view line, EmployeeData& out) const;

    static const char* objectName(EmployeeFormat format);  // "US", "UM", "EM"
    static int recordSize(EmployeeFormat format);

    // The record with its CRC(s); returns its size.
    static int encode(EmployeeFormat format, const EmployeeData& e, std::uint8_t* out);
    // False when a CRC does not match (both are checked for EM).
    static bool decode(EmployeeFormat format, const std::uint8_t* bytes, EmployeeData& out);
    static void encodePersonal(const EmployeeData& e, std::uint8_t (&out)[kPersonalSize]);

    // The line written to "DUMMY.EMP" for a received employee, without its newline.
    static zString receivedLine(EmployeeFormat format, const EmployeeData& e, int terminalNumber);

private:
    bool parseDefault(std::string_view line, EmployeeData& out) const;
    void parseWithLayout(std::string_view line, EmployeeData& out) const;

    const LINE_FORMAT& layout_;
    zLogger& log_;
};
