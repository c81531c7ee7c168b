// The table sends: each reads a text file the personnel office edits and
// sends it record by record after an optional clear telegram. The members
// differ in their file, line length, end condition, record telegram and
// limit; the loop is the same for all.
#include "Codes.h"
#include "Operations.h"
#include "TableLines.h"
#include "TableText.h"
#include "TextFile.h"

#include <cstdio>
#include <functional>

namespace qzcom {
namespace {

enum TableCode : int { kTableTooLong = 2, kLineTooLong = 3, kTooManyCauses = 4 };

struct Record {
    std::string code;
    std::string data;
};

// What a member does with one line: a record to send, or the end of the list
// (`stop` with the code to end on, or nothing to end with the last code).
struct Step {
    std::optional<Record> record;
    std::optional<int> stop;
};

struct TableMember {
    const char* file;
    const char* clearCode;   // null: no clear telegram
    const char* clearData;
    std::size_t lineLimit;
    bool stripLineEnd;
    bool skipComments;       // lines beginning ';'
    const char* statusText;  // with the record number; null: the file name
    std::function<bool(const std::string&)> ends;
    // `number` counts from 1; the member may stop instead of sending.
    std::function<Step(const std::string& line, int number)> step;
    // After the list ended normally: one more telegram, or nothing.
    std::function<std::optional<Record>(int sent)> closing;
    int failAfter = 0;       // after sending this many, end with kTooManyCauses
};

Step send(std::string code, std::string data) { return {Record{std::move(code), std::move(data)}, {}}; }
Step stopWith(std::optional<int> code) { return {std::nullopt, code.value_or(-1)}; }

int sendTable(Session& s, const TableMember& m) {
    const int lines = countTableLines(m.file);
    LineReader in(m.file);
    if (!in.isOpen()) {
        s.message("File mancante", m.file);
        return kFileMissing;
    }
    int result = kDone;
    if (m.clearCode) {
        result = s.exchange(m.clearCode, m.clearData);
        if (result != kDone || s.stopFlag) return result;
    }
    for (int number = 1;; ++number) {
        const int position = lines > 0 ? 100 * (number - 1) / lines : 0;
        s.status(position, m.statusText ? format(m.statusText, number) : std::string(m.file));
        std::optional<std::string> line;
        do line = in.next(m.lineLimit);
        while (line && m.skipComments && !line->empty() && line->front() == ';');
        if (line && m.stripLineEnd) *line = withoutLineEnd(*line);
        // The end of the file ends the list as the member's own end line does.
        if (!line || m.ends(*line)) {
            if (m.closing)
                if (auto last = m.closing(number - 1)) result = s.exchange(last->code, last->data);
            break;
        }
        Step step = m.step(*line, number);
        if (step.stop) return *step.stop < 0 ? result : *step.stop;
        result = s.exchange(step.record->code, step.record->data);
        if (result != kDone || s.stopFlag) break;
        if (m.failAfter && number >= m.failAfter) return kTooManyCauses;
    }
    return result;
}

auto shorterThan(std::size_t n) {
    return [n](const std::string& line) { return line.size() < n; };
}

const TableMember kBells{
    "qzcom.bel", "14", "CLEAR", 69, false, false, nullptr, shorterThan(10),
    [](const std::string& line, int number) {
        constexpr int kMostBells = 64;
        if (number > kMostBells) return stopWith(std::nullopt);
        return send("13", bellRecord(line, number));
    },
    nullptr};

const TableMember kHolidays{
    "qzcom.hdy", "20", "CLEAR", 69, false, false, "TxHDays record %02d",
    [](const std::string& line) { return line.size() < 3 || beginsEnd(line); },
    [](const std::string& line, int number) {
        constexpr int kMostHolidays = 51;
        if (number > kMostHolidays) return stopWith(std::nullopt);
        return send("21", holidayRecord(line));
    },
    nullptr};

const TableMember kReaders{
    "qzcom.rea", "40", "CLEAR", 69, false, true, "TxReaders record %02d", shorterThan(5),
    [](const std::string& line, int number) {
        constexpr int kMostReaders = 32;
        if (number > kMostReaders) return stopWith(std::nullopt);
        return send("41", readerRecord(line, number));
    },
    nullptr};

const TableMember kBadges{
    "qzcom.bdg", "42", "CLEAR", 255, false, true, "TxBadge rec. %04d", shorterThan(5),
    [](const std::string& line, int) { return send("43", line); }, nullptr};

const TableMember kTimeModels{
    "qzcom.mdl", "47", "CLEAR", 69, false, true, "TxTmodel record %02d", shorterThan(5),
    [](const std::string& line, int number) {
        constexpr int kMostModels = 32;
        if (number > kMostModels) return stopWith(kTableTooLong);
        return send("46", format("%02d %s", number, line.substr(0, 23).c_str()));
    },
    nullptr};

const TableMember kCauses{
    "qzcom.cau", nullptr, nullptr, 29, true, false, "Txcausali record %02d", beginsEnd,
    [](const std::string& line, int number) {
        constexpr std::size_t kLongestCause = 27;
        if (line.size() > kLongestCause) return stopWith(kLineTooLong);
        return send("18", format("%02d %s", number, line.c_str()));
    },
    [](int sent) { return std::optional<Record>(Record{"19", format("%02d", sent)}); }, 25};

const TableMember kCompactCauses{
    "qzcom.cau", "19", "CLEAR", 49, true, false, "Txcausali record %02d", beginsEnd,
    [](const std::string& line, int number) { return send("18", format("%02d%s", number, line.c_str())); },
    nullptr, 200};

const TableMember kMessages{
    "qzcom.msg", "61", "CLEAR", 89, true, false, "TxMessage record %02d", beginsEnd,
    [](const std::string& line, int number) { return send("60", format("%03d %s", number, line.c_str())); },
    nullptr};

const TableMember kNotices{
    "qzcom.adv", "63", "CLEAR", 299, true, false, "TxAdvise record %02d", beginsEnd,
    [](const std::string& line, int number) { return send("62", format("%03d %s", number, line.c_str())); },
    nullptr};

const TableMember kProducts{
    "qzcom.prd", nullptr, nullptr, 255, false, true, "TxProduct rec. %04d", shorterThan(10),
    [](const std::string& line, int) { return send("52", line); }, nullptr};

const TableMember kBlackList{
    "qzcom.Blk", "33", "ClearAll", 29, true, false, "Blk badge %02d", beginsEnd,
    [](const std::string& line, int) { return send("33", "Insert " + line); }, nullptr};

const TableMember kCimList{
    "qzcom.cim", "62", "CLEAR", 29, true, false, "Blk badge %02d", beginsEnd,
    [](const std::string& line, int) { return send("63", line); }, nullptr};

}  // namespace

int txBellList(Session& s, const std::string&, std::string&) { return sendTable(s, kBells); }
int txHolidays(Session& s, const std::string&, std::string&) { return sendTable(s, kHolidays); }
int txReaders(Session& s, const std::string&, std::string&) { return sendTable(s, kReaders); }
int txBadge(Session& s, const std::string&, std::string&) { return sendTable(s, kBadges); }
int txTimeModels(Session& s, const std::string&, std::string&) { return sendTable(s, kTimeModels); }
int txCauses(Session& s, const std::string&, std::string&) { return sendTable(s, kCauses); }
int txCompactCauses(Session& s, const std::string&, std::string&) { return sendTable(s, kCompactCauses); }
int txMessages(Session& s, const std::string&, std::string&) { return sendTable(s, kMessages); }
int txNotices(Session& s, const std::string&, std::string&) { return sendTable(s, kNotices); }
int txProducts(Session& s, const std::string&, std::string&) { return sendTable(s, kProducts); }
int txBlackList(Session& s, const std::string&, std::string&) { return sendTable(s, kBlackList); }
int txCimList(Session& s, const std::string&, std::string&) { return sendTable(s, kCimList); }

}  // namespace qzcom
