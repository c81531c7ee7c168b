// The table sends that do not follow the common pattern: time bases in
// groups of four lines, the vacation plan with its line repair, and the
// canteen menus, read and checked whole before anything is sent.
#include "Codes.h"
#include "Operations.h"
#include "TableLines.h"
#include "TableText.h"
#include "TextFile.h"

#include <array>
#include <vector>

namespace qzcom {
namespace {

enum SpecialCode : int {
    kTitleTooLong = 1,
    kTooManyMenus = 2,
    kTooManyTimeBases = 2,
    kItemTooLong = 3,
    kTooManyItems = 4,
};

bool missing(Session& s, const LineReader& in, const char* file) {
    if (in.isOpen()) return false;
    s.message("File mancante", file);
    return true;
}

}  // namespace

int txTimeBases(Session& s, const std::string&, std::string&) {
    constexpr const char* kFile = "qzcom.tba";
    constexpr int kGroup = 4, kMostBases = 32;
    constexpr std::size_t kLimit = 79, kCut = 27, kShortest = 5;
    const int lines = countTableLines(kFile);
    LineReader in(kFile);
    if (missing(s, in, kFile)) return kFileMissing;
    int result = kDone;
    for (int number = 1; !s.stopFlag; ++number) {
        s.status(lines > 0 ? 100 * kGroup * (number - 1) / lines : 0, format("TxTBase record %02d", number));
        std::string data = format("%02d ", number);
        for (int i = 0; i < kGroup; ++i) {
            std::optional<std::string> line;
            do line = in.next(kLimit);
            while (line && !line->empty() && line->front() == ';');
            // A partial group is not sent.
            if (!line || line->size() < kShortest) return result;
            data += line->substr(0, kCut) + " ";
        }
        if (number > kMostBases) return kTooManyTimeBases;
        result = s.exchange("45", data);
        if (result != kDone) break;
    }
    return result;
}

int txVacationPlan(Session& s, const std::string&, std::string&) {
    constexpr const char* kFile = "qzcom.fer";
    constexpr int kHeaderLines = 6;
    constexpr std::size_t kLimit = 79;
    LineReader in(kFile);
    if (missing(s, in, kFile)) return kFileMissing;
    for (int number = 1; !s.stopFlag; ++number) {
        s.status(number, format("TxFerie step %02d", number));
        auto read = in.next(kLimit);
        if (!read) break;
        const std::string line = withoutLineEnd(*read);
        if (beginsEnd(line)) break;
        int result = kDone;
        if (number <= kHeaderLines) {
            result = s.exchange("27", format("%01d %s", number, line.c_str()));
        } else {
            result = s.exchange("26", repairedVacationLine(line));
        }
        if (result != kDone) return result;
    }
    return kDone;
}

int txCanteenMenus(Session& s, const std::string&, std::string&) {
    constexpr const char* kFile = "qzcom.men";
    constexpr int kMenus = 4, kMostItems = 12;
    constexpr std::size_t kLimit = 29, kShortest = 3, kLongestTitle = 16, kLongestItem = 27;
    struct Menu {
        std::string title;
        std::vector<std::string> items;
    };
    std::array<Menu, kMenus> menus;
    LineReader in(kFile);
    if (missing(s, in, kFile)) return kFileMissing;
    int current = -1;
    while (auto read = in.next(kLimit)) {
        const std::string line = withoutLineEnd(*read);
        if (line.size() <= kShortest) break;
        if (line.front() == '@') {
            if (line.size() > kLongestTitle) return kTitleTooLong;
            if (++current >= kMenus) return kTooManyMenus;
            menus[static_cast<std::size_t>(current)].title = line.substr(1);
            continue;
        }
        if (line.size() > kLongestItem) return kItemTooLong;
        // Items before the first title belong to the first menu.
        Menu& menu = menus[static_cast<std::size_t>(current < 0 ? 0 : current)];
        if (static_cast<int>(menu.items.size()) >= kMostItems) return kTooManyItems;
        menu.items.push_back(line);
    }
    if (s.stopFlag) return kDone;
    for (int m = 0; m < kMenus; ++m) {
        const Menu& menu = menus[static_cast<std::size_t>(m)];
        s.status(25 * m, format("TxMensa record %02d", m));
        int result = s.exchange("16", format("%01d %s", m, menu.title.c_str()));
        for (std::size_t i = 0; result == kDone && i < menu.items.size(); ++i)
            result = s.exchange("15", format("%01d %02d %s", m, static_cast<int>(i), menu.items[i].c_str()));
        if (result != kDone) return result;
    }
    return s.exchange("17", format("%02d %02d %02d %02d", static_cast<int>(menus[0].items.size()),
                                   static_cast<int>(menus[1].items.size()),
                                   static_cast<int>(menus[2].items.size()),
                                   static_cast<int>(menus[3].items.size())));
}

}  // namespace qzcom
