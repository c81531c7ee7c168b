#pragma once
// What a terminal's badge and fingerprint readers hold: the card format
// that splits a badge into codes, the last badge read (for the test read)
// and the enrolled fingerprint templates. Kept in the state file.
#include "Telegram.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornsim {

struct CardField {
    std::uint8_t from = 0;
    std::uint8_t length = 0;
    std::uint32_t defaultValue = 0;
};

// 55 bytes: name (21), length, direction, five fields of 6 bytes, check.
struct CardFormat {
    std::string name = "CALVIRONE MC";
    std::uint8_t length = 17;
    bool bidirectional = true;
    std::array<CardField, 5> fields{{{0, 4, 0}, {4, 2, 0}, {9, 6, 0}, {15, 1, 0}, {16, 1, 0}}};
    std::optional<std::uint16_t> check;  // a deliberately wrong stored check, else computed
};
Bytes encodeCardFormat(const CardFormat& f);
// Refuses a record of the wrong size or with a wrong check; `why` says which.
std::optional<CardFormat> decodeCardFormat(const Bytes& b, std::string& why);

// 42 bytes: flags, length, 40 digit values (a 15 after the last digit).
struct BadgeRead {
    std::uint8_t flags = 0;
    std::uint8_t length = 0;
    std::vector<std::uint8_t> digits;  // values 0-15, at most 40
};
Bytes encodeBadgeRead(const BadgeRead& r);

// 389 bytes: employee number, company, 384 template bytes.
struct FingerTemplate {
    std::uint32_t employee = 0;
    std::uint8_t company = 0;
    Bytes data = Bytes(384, 0);
};
Bytes encodeTemplate(const FingerTemplate& t);
std::optional<FingerTemplate> decodeTemplate(const Bytes& b, std::string& why);

struct BadgeStore {
    CardFormat format;
    BadgeRead lastRead;
    std::vector<FingerTemplate> templates;  // one per employee and company
};

// Adds "cardFormat", "badgeRead" and "fingerprints" to a terminal's object.
void badgeToJson(const BadgeStore& store, nlohmann::ordered_json& terminal);
// Reads them when present; throws std::runtime_error naming a bad item.
void badgeFromJson(const nlohmann::ordered_json& terminal, BadgeStore& store);

}  // namespace vornsim
