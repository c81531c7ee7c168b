// The simulated terminal's card format, badge read and fingerprint store:
// what it answers, what it refuses, and how it keeps them in the state file.
#include "CommandHandler.h"

#include <gtest/gtest.h>

using namespace vornsim;

namespace {

Answer ask(Terminal& t, const std::string& text, std::optional<Bytes> data = std::nullopt) {
    Request r;
    r.destination = t.node;
    r.sequence = 1;
    r.text = text;
    r.data = std::move(data);
    return answerRequest(t, r);
}

Bytes templateRecord(std::uint32_t employee, std::uint8_t company, std::uint8_t fill) {
    FingerTemplate t;
    t.employee = employee;
    t.company = company;
    t.data.assign(384, fill);
    return encodeTemplate(t);
}

}  // namespace

TEST(SimulatedCardFormat, StoresAValidFormatAndRefusesABadOne) {
    Terminal t;
    Answer read = ask(t, "FO,GE");
    ASSERT_EQ(read.kind, Answer::Ok);
    ASSERT_EQ(read.data->size(), 55u);
    EXPECT_EQ(std::string(read.data->begin(), read.data->begin() + 12), "CALVIRONE MC");

    CardFormat f;
    f.name = "NORD";
    f.bidirectional = false;
    f.fields[2] = {5, 8, 77};
    EXPECT_EQ(ask(t, "FO,SE", encodeCardFormat(f)).kind, Answer::Ok);
    EXPECT_EQ(*ask(t, "FO,GE").data, encodeCardFormat(f));

    Bytes corrupt = encodeCardFormat(f);
    corrupt[30] ^= 1;
    EXPECT_EQ(ask(t, "FO,SE", corrupt).kind, Answer::Error);
    EXPECT_EQ(ask(t, "FO,SE", Bytes(54, 0)).kind, Answer::Error);
    EXPECT_EQ(ask(t, "FO,SE").kind, Answer::Error);
    EXPECT_EQ(t.badge.format.name, "NORD");
}

TEST(SimulatedCardFormat, TestReadEndsTheDigitsWithFifteen) {
    Terminal t;
    t.badge.lastRead = {3, 3, {1, 2, 3}};
    Answer a = ask(t, "FO,LR");
    ASSERT_EQ(a.kind, Answer::Ok);
    ASSERT_EQ(a.data->size(), 42u);
    EXPECT_EQ((*a.data)[0], 3);
    EXPECT_EQ((*a.data)[4], 3);
    EXPECT_EQ((*a.data)[5], 15);
}

TEST(SimulatedFingerprints, StoredByEmployeeAndCompanyReadByIndexCleared) {
    Terminal t;
    EXPECT_EQ(*ask(t, "FP,NR").data, (Bytes{0, 0}));
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(10, 1, 0xAA)).kind, Answer::Ok);
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(11, 1, 0xBB)).kind, Answer::Ok);
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(10, 1, 0xCC)).kind, Answer::Ok);  // re-enrolled
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(10, 2, 0xDD)).kind, Answer::Ok);  // another company
    EXPECT_EQ(*ask(t, "FP,NR").data, (Bytes{3, 0}));
    EXPECT_EQ(*ask(t, "FP,GI,0").data, templateRecord(10, 1, 0xCC));
    EXPECT_EQ(*ask(t, "FP,GI,2").data, templateRecord(10, 2, 0xDD));
    EXPECT_EQ(ask(t, "FP,GI,3").kind, Answer::Warning);
    EXPECT_EQ(ask(t, "FP,GI,02").kind, Answer::Error);
    EXPECT_EQ(ask(t, "FP,ST", Bytes(388, 0)).kind, Answer::Error);
    EXPECT_EQ(ask(t, "FP,XX").kind, Answer::Warning);
    EXPECT_EQ(ask(t, "FP,DE,*,*").kind, Answer::Ok);
    EXPECT_EQ(*ask(t, "FP,NR").data, (Bytes{0, 0}));
}

TEST(SimulatedFingerprints, MemoryHoldsOneTemplatePerEmployeePlace) {
    Terminal t;
    t.version.numOfEmp = 2;
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(1, 1, 0)).kind, Answer::Ok);
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(2, 1, 0)).kind, Answer::Ok);
    EXPECT_EQ(ask(t, "FP,ST", templateRecord(3, 1, 0)).kind, Answer::Error);
}

TEST(SimulatedBadgeState, RoundTripsThroughTheStateFile) {
    Terminal t;
    t.node = 4;
    t.badge.format.name = "SUD";
    t.badge.format.check = 0x1234;
    t.badge.lastRead = {1, 2, {7, 8}};
    ask(t, "FP,ST", templateRecord(99, 3, 0xAB));
    auto back = fromJson(toJson({t}));
    ASSERT_EQ(back.size(), 1u);
    const BadgeStore& b = back[0].badge;
    EXPECT_EQ(encodeCardFormat(b.format), encodeCardFormat(t.badge.format));
    EXPECT_EQ(encodeBadgeRead(b.lastRead), encodeBadgeRead(t.badge.lastRead));
    ASSERT_EQ(b.templates.size(), 1u);
    EXPECT_EQ(encodeTemplate(b.templates[0]), templateRecord(99, 3, 0xAB));

    auto j = toJson({t});
    j["terminals"][0]["fingerprints"][0]["template"] = "xyz";
    EXPECT_THROW(fromJson(j), std::runtime_error);
    j = toJson({t});
    j["terminals"][0]["cardFormat"]["fields"].erase(0);
    EXPECT_THROW(fromJson(j), std::runtime_error);
}
