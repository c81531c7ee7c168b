#include "ConnectionString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace qzcom {
namespace {

constexpr int kMaxAddress = 127;

bool inRange(int v, int low, int high) { return v >= low && v <= high; }

// The text after the second blank-separated token, as given.
std::string thirdTokenOnwards(const std::string& text) {
    std::size_t at = 0;
    for (int token = 0; token < 2; ++token) {
        at = text.find_first_not_of(' ', at);
        if (at == std::string::npos) return {};
        at = text.find(' ', at);
        if (at == std::string::npos) return {};
    }
    at = text.find_first_not_of(' ', at);
    return at == std::string::npos ? std::string() : text.substr(at);
}

// "TCP:10.0.0.7 3001 5 DIR" -> "TCP:10.0.0.7_0.0.0.0_3001_0000 05 DIR".
std::string expandShortTcpForm(const std::string& text) {
    if (std::count(text.begin(), text.end(), '.') != 3) return text;
    char first[128], rest[1024] = "";
    int port = 0, address = 0;
    if (std::sscanf(text.c_str(), "%127s %d %d %1023[^\n]", first, &port, &address, rest) < 3)
        return text;
    char expanded[1400];
    std::snprintf(expanded, sizeof expanded, "%s_0.0.0.0_%04d_0000 %02d %s", first, port, address,
                  rest);
    return expanded;
}

std::optional<LinkParams> parseDevicePath(const std::string& text, LinkParams p) {
    // "/dev/path:BAUD ADDR DIR": the path keeps its case and punctuation.
    std::size_t blank = text.find(' ');
    std::string first = text.substr(0, blank);
    std::size_t sep = first.find_last_of(":*");
    if (sep == std::string::npos || blank == std::string::npos) return std::nullopt;
    p.tagged = first[sep] == '*';
    p.device = first.substr(0, sep);
    if (std::sscanf(text.c_str() + sep + 1, "%ld %d", &p.baud, &p.address) != 2 ||
        !inRange(p.address, 0, kMaxAddress))
        return std::nullopt;
    return p;
}

}  // namespace

std::optional<LinkParams> parseConnectionString(const std::string& given) {
    const std::string text = expandShortTcpForm(given);
    LinkParams p;
    p.workDir = thirdTokenOnwards(text);
    if (!text.empty() && text.front() == '/') return parseDevicePath(text, p);

    std::string s = text;
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    p.tagged = (s.size() > 3 && s[3] == '*') || (s.size() > 4 && s[4] == '*');
    for (std::size_t i : {3u, 4u})
        if (s.size() > i && s[i] == ':') s[i] = ' ';
    std::replace_if(s.begin(), s.end(), [](char c) { return c == '*' || c == '.' || c == '_'; }, ' ');

    char word[1024];
    if (s.rfind("COM", 0) == 0) {
        int number = 0;
        if (std::sscanf(s.c_str(), "%1023s %ld %d", word, &p.baud, &p.address) != 3 ||
            std::sscanf(word, "COM%d", &number) != 1 || number < 1 || !inRange(p.address, 0, kMaxAddress))
            return std::nullopt;
        p.kind = LinkKind::Serial;
        p.device = "/dev/ttyS" + std::to_string(number - 1);
        return p;
    }
    if (s.rfind("TCP", 0) == 0 || s.rfind("UDP", 0) == 0) {
        int unused[4];
        auto& ip = p.ip;
        if (std::sscanf(s.c_str(), "%1023s %d %d %d %d %d %d %d %d %d %d %d", word, &ip[0], &ip[1],
                        &ip[2], &ip[3], &unused[0], &unused[1], &unused[2], &unused[3], &p.port,
                        &p.localPort, &p.address) != 12)
            return std::nullopt;
        if (!std::all_of(ip.begin(), ip.end(), [](int v) { return inRange(v, 0, 255); }) ||
            !inRange(p.port, 0, 65535) || !inRange(p.localPort, 0, 65535) ||
            !inRange(p.address, 0, kMaxAddress))
            return std::nullopt;
        p.kind = s[0] == 'T' ? LinkKind::Tcp : LinkKind::Udp;
        return p;
    }
    return std::nullopt;
}

}  // namespace qzcom
