#pragma once
// A downloaded transaction record (26 characters) as a line of the
// transaction file: "E" or "U", then the record with its first character
// brought back to '0'..'7', optionally with the cause digits shifted and the
// terminal address as its last two characters.
#include <string>

namespace qzcom {

struct LineConversion {
    bool shiftCauses = false;  // CAUS_LIKE_SOFTER
    bool writeAddress = false; // WRITE_ID_NUMBER
    int address = 0;
};

std::string transactionLine(const std::string& record, const LineConversion& conversion);

}  // namespace qzcom
