#pragma once
// The lines of the newer models' line protocol. A listing line names a
// stored file and its record count; a line of a stored file becomes the
// transaction record every writer takes: "HHMM", a direction or cause
// character, then the part of the badge code the terminal prints, where the
// terminal definition's badge layout finds company and employee.
#include "TransactionRecords.h"
#include "BadgeLayout.h"
#include "VornKinds.h"

#include <string_view>

// One line of the "@DIR" listing.
struct ListingLine {
    enum Kind { Other, Header, File, End } kind = Other;
    std::string_view fileName;  // File: the text before the first blank
    int records = 0;            // File: the number after it, 0..32767
};
ListingLine readListingLine(std::string_view line);

struct LineContext {
    TerminalModel model = TerminalModel::Unset;
    int causeMode = 0;  // terminal parameter 23: where the cause sits
    int terminalNumber = 0;
    BadgeLayout badge;
    int month = 0;  // from the stored file's name
    int day = 0;
    int year = 0;  // the PC's
};

TransactionRecord lineToRecord(std::string_view line, const LineContext& context);

// The line has the shape of a record: long enough for every part the
// conversion takes, digits wherever it takes digits, a time of day that
// exists, and a stored-file name that gives a real date in the PC's year.
// Anything else would be written as an invented punch.
bool isRecordLine(std::string_view line, const LineContext& context);

// Where the badge layout expects the printed badge part to start (99 when
// neither company nor employee has a length) and how long it should be, to
// compare with the terminal's parameters 7 and 8.
struct BadgeSpan {
    int first = 0;
    int length = 0;
};
BadgeSpan expectedBadgeSpan(const BadgeLayout& badge);
