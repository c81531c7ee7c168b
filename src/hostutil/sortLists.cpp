// Sorting of comma-separated lists. Empty items are not items: "a,,b" holds
// two, and a list of nothing but commas is as empty as "".
#include "exportGuard.h"
#include "mirtadll.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string_view> splitItems(const char* list) {
    std::vector<std::string_view> items;
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        if (!item.empty()) items.push_back(item);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    }
    return items;
}

// Like atoi (leading blanks, sign, digits, anything else ends the number),
// but clamped instead of undefined on overflow.
long keyOf(std::string_view text) {
    const std::string key(text);
    return std::strtol(key.c_str(), nullptr, 10);
}

template <typename Range>
void joinInto(const Range& values, char* output) {
    std::string joined;
    bool first = true;
    for (const auto& v : values) {
        if (!first) joined += ',';
        joined += v;
        first = false;
    }
    std::memcpy(output, joined.c_str(), joined.size() + 1);
}

}  // namespace

static int SortListBody(const char* list, char* output) {
    std::map<long, std::string_view> byKey;
    for (std::string_view item : splitItems(list)) {
        const std::size_t colon = item.find(':');
        if (colon == std::string_view::npos) continue;  // no value to place
        byKey[keyOf(item.substr(0, colon))] = item.substr(colon + 1);
    }
    if (byKey.empty()) return -1;
    std::vector<std::string_view> values;
    for (const auto& [key, value] : byKey) values.push_back(value);
    if (output) joinInto(values, output);
    return 0;
}

static int SortList2Body(const char* list, char* output) {
    const std::vector<std::string_view> items = splitItems(list);
    if (items.empty()) return -1;
    const std::set<std::string_view> sorted(items.begin(), items.end());
    if (output) joinInto(sorted, output);
    return 0;
}

extern "C" MIRTA_API int SortList(const char* list, char* output) {
    return hostutil::guarded("SortList", -1, [&] { return SortListBody(list, output); });
}

extern "C" MIRTA_API int SortList2(const char* list, char* output) {
    return hostutil::guarded("SortList2", -1, [&] { return SortList2Body(list, output); });
}
