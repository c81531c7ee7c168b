#pragma once
// The binary records terminals hand over, decoded from their little-endian
// wire bytes. Decoding copies plain fields only, so a record costs no heap.
#include "TerminalTime.h"

#include <cstddef>
#include <cstdint>

// What a transaction is, from its flags byte taken as a whole.
enum class TransactionKind { Normal, Access, Attendance, Canteen, Job, Undefined };

TransactionKind kindOfFlags(std::uint8_t flags);
// N, A, P, M, C; an undefined kind shows as N.
char kindLetter(TransactionKind kind);

struct TransactionRecord {
    static constexpr std::size_t kDataSize = 17;
    static constexpr std::size_t kSize = kDataSize + 2;  // with the CRC

    std::uint8_t company = 0;
    std::uint8_t terminal = 0;
    std::uint32_t employee = 0;
    TerminalTime time;
    std::uint8_t flags = 0;
    std::uint8_t cause = 0;     // kind C: low byte of the work code
    std::uint32_t job = 0;      // kind C only
    std::uint8_t workHigh = 0;  // kind C only
    std::uint16_t check = 0;

    // Reads kSize bytes.
    static TransactionRecord decode(const std::uint8_t* bytes);
    // CRC of the 17 data bytes against the 2 check bytes.
    static bool checkMatches(const std::uint8_t* bytes);
    // Writes kSize bytes, with the check computed from the fields and kept.
    void encodeWithCheck(std::uint8_t* bytes);

    bool isIn() const { return (flags & 0x04) != 0; }
    TransactionKind kind() const { return kindOfFlags(flags); }
    unsigned workCode() const { return workHigh * 256u + cause; }
};

struct JobRecord {
    static constexpr std::size_t kDataSize = 59;
    static constexpr std::size_t kSize = kDataSize + 2;
    static constexpr int kJobDataLength = 32;
    static constexpr int kSubFields = 7;

    std::uint8_t company = 0;
    std::uint8_t terminal = 0;
    std::uint32_t employee = 0;
    TerminalTime time;
    std::uint8_t status = 0;
    char jobData[kJobDataLength] = {};  // not NUL-terminated
    std::uint8_t subStart[kSubFields] = {};
    std::uint8_t subLength[kSubFields] = {};  // 0 = sub-field absent
    std::uint16_t check = 0;

    static JobRecord decode(const std::uint8_t* bytes);
    static bool checkMatches(const std::uint8_t* bytes);

    // From the status code: the job status I, R, F or S and the begin/end
    // letter I or F; '?' for a code without meaning.
    char statusLetter() const;
    char beginEndLetter() const;
};

// The record of VORN2B terminals; it carries no check bytes. The record
// gives most fields no meaning beyond their place in the text line, so they
// are named after their offset.
struct ExtendedRecord {
    static constexpr std::size_t kSize = 46;
    static constexpr int kTextLength = 8;

    std::uint8_t terminal = 0;       // byte 1
    std::uint32_t employee = 0;      // bytes 2-5
    std::uint16_t word6 = 0;         // bytes 6-7
    TerminalTime time;               // bytes 8-11
    std::uint8_t byte12 = 0;         // byte 12
    std::uint8_t code = 0;           // byte 13: 1 PP, 3 PM, 4 PC, 16 RI
    char text[kTextLength] = {};     // bytes 18-25, NUL-terminated when shorter
    std::int16_t signed26 = 0;       // bytes 26-27
    std::uint16_t word28 = 0;        // bytes 28-29
    TerminalTime time30;             // bytes 30-33
    std::int16_t signed34 = 0;       // bytes 34-35
    std::int32_t long36 = 0;         // bytes 36-39
    std::int32_t hundredths40 = 0;   // bytes 40-43, in hundredths
    std::int16_t signed44 = 0;       // bytes 44-45

    static ExtendedRecord decode(const std::uint8_t* bytes);
};

// One entry of the ten latest transactions.
struct EmployeeStatusRecord {
    static constexpr std::size_t kSize = 34;
    static constexpr int kNameLength = 21;  // 20 shown

    char name[kNameLength] = {};
    std::uint32_t employee = 0;
    std::uint8_t company = 0;
    std::uint16_t flags = 0;
    TerminalTime lastPassage;

    static EmployeeStatusRecord decode(const std::uint8_t* bytes);

    bool isIn() const { return (flags & 0x04) != 0; }
    TransactionKind kind() const { return kindOfFlags(static_cast<std::uint8_t>(flags & 0xFF)); }
};
