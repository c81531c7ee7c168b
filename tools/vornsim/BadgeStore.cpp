#include "BadgeStore.h"

#include "crc16.h"

#include <algorithm>
#include <stdexcept>

namespace vornsim {

using json = nlohmann::ordered_json;

namespace {

constexpr std::size_t kFormatSize = 55;
constexpr std::size_t kFormatChecked = 53;
constexpr std::size_t kReadSize = 42;
constexpr std::size_t kReadDigits = 40;
constexpr std::size_t kTemplateRecord = 389;
constexpr std::size_t kTemplateBytes = 384;
constexpr std::uint8_t kEndOfDigits = 15;

// Little-endian integers of `bytes` bytes at `at`.
void putLe(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t getLe(const Bytes& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

std::uint16_t formatCheck(const Bytes& b) { return fnd::crc16(b.data(), kFormatChecked); }

}  // namespace

Bytes encodeCardFormat(const CardFormat& f) {
    Bytes b(kFormatSize, 0);
    std::copy_n(f.name.begin(), std::min<std::size_t>(f.name.size(), 20), b.begin());
    b[21] = f.length;
    b[22] = f.bidirectional ? 1 : 0;
    for (std::size_t i = 0; i < f.fields.size(); ++i) {
        std::size_t at = 23 + 6 * i;
        b[at] = f.fields[i].from;
        b[at + 1] = f.fields[i].length;
        putLe(b, at + 2, f.fields[i].defaultValue, 4);
    }
    putLe(b, kFormatChecked, f.check ? *f.check : formatCheck(b), 2);
    return b;
}

std::optional<CardFormat> decodeCardFormat(const Bytes& b, std::string& why) {
    if (b.size() != kFormatSize) {
        why = "card format of " + std::to_string(b.size()) + " bytes, needs 55";
        return std::nullopt;
    }
    if (getLe(b, kFormatChecked, 2) != formatCheck(b)) {
        why = "card format check does not match";
        return std::nullopt;
    }
    CardFormat f;
    std::string name(b.begin(), b.begin() + 21);
    f.name = name.substr(0, name.find('\0'));
    f.length = b[21];
    f.bidirectional = b[22] != 0;
    for (std::size_t i = 0; i < f.fields.size(); ++i) {
        std::size_t at = 23 + 6 * i;
        f.fields[i] = {b[at], b[at + 1], getLe(b, at + 2, 4)};
    }
    return f;
}

Bytes encodeBadgeRead(const BadgeRead& r) {
    Bytes b(kReadSize, 0);
    b[0] = r.flags;
    b[1] = r.length;
    std::size_t n = std::min(r.digits.size(), kReadDigits);
    std::copy_n(r.digits.begin(), n, b.begin() + 2);
    if (n < kReadDigits) b[2 + n] = kEndOfDigits;
    return b;
}

Bytes encodeTemplate(const FingerTemplate& t) {
    Bytes b(kTemplateRecord, 0);
    putLe(b, 0, t.employee, 4);
    b[4] = t.company;
    std::copy_n(t.data.begin(), std::min(t.data.size(), kTemplateBytes), b.begin() + 5);
    return b;
}

std::optional<FingerTemplate> decodeTemplate(const Bytes& b, std::string& why) {
    if (b.size() != kTemplateRecord) {
        why = "fingerprint record of " + std::to_string(b.size()) + " bytes, needs 389";
        return std::nullopt;
    }
    FingerTemplate t;
    t.employee = getLe(b, 0, 4);
    t.company = b[4];
    t.data.assign(b.begin() + 5, b.end());
    return t;
}

void badgeToJson(const BadgeStore& store, json& terminal) {
    const CardFormat& f = store.format;
    json fields = json::array();
    for (const auto& field : f.fields)
        fields.push_back({{"from", field.from}, {"length", field.length}, {"default", field.defaultValue}});
    json format = {{"name", f.name}, {"length", f.length}, {"bidirectional", f.bidirectional}, {"fields", fields}};
    if (f.check) format["check"] = *f.check;
    terminal["cardFormat"] = format;
    terminal["badgeRead"] = {{"flags", store.lastRead.flags}, {"length", store.lastRead.length},
                             {"digits", store.lastRead.digits}};
    json templates = json::array();
    for (const auto& t : store.templates)
        templates.push_back({{"company", t.company}, {"employee", t.employee}, {"template", hexEncode(t.data)}});
    terminal["fingerprints"] = templates;
}

void badgeFromJson(const json& terminal, BadgeStore& store) {
    if (terminal.contains("cardFormat")) {
        const json& j = terminal.at("cardFormat");
        CardFormat& f = store.format;
        f.name = j.value("name", f.name);
        f.length = j.value("length", f.length);
        f.bidirectional = j.value("bidirectional", f.bidirectional);
        if (j.contains("fields")) {
            const json& fields = j.at("fields");
            if (fields.size() != f.fields.size()) throw std::runtime_error("cardFormat needs 5 fields");
            for (std::size_t i = 0; i < f.fields.size(); ++i)
                f.fields[i] = {fields[i].value("from", std::uint8_t{0}), fields[i].value("length", std::uint8_t{0}),
                               fields[i].value("default", std::uint32_t{0})};
        }
        if (j.contains("check")) f.check = j.at("check").get<std::uint16_t>();
    }
    if (terminal.contains("badgeRead")) {
        const json& j = terminal.at("badgeRead");
        store.lastRead.flags = j.value("flags", std::uint8_t{0});
        store.lastRead.length = j.value("length", std::uint8_t{0});
        store.lastRead.digits = j.value("digits", std::vector<std::uint8_t>{});
        if (store.lastRead.digits.size() > kReadDigits) throw std::runtime_error("badgeRead holds at most 40 digits");
    }
    if (terminal.contains("fingerprints")) {
        store.templates.clear();
        for (const auto& j : terminal.at("fingerprints")) {
            FingerTemplate t;
            t.company = j.value("company", std::uint8_t{0});
            t.employee = j.at("employee").get<std::uint32_t>();
            auto data = hexDecode(j.value("template", std::string()));
            if (!data || data->size() > kTemplateBytes)
                throw std::runtime_error("fingerprint template must be at most 768 hexadecimal digits");
            std::copy(data->begin(), data->end(), t.data.begin());
            store.templates.push_back(std::move(t));
        }
    }
}

}  // namespace vornsim
