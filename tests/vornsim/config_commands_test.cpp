#include "CommandHandler.h"

#include "crc16.h"

#include <gtest/gtest.h>

using namespace vornsim;

namespace {

Request req(const std::string& text, std::optional<Bytes> data = std::nullopt) {
    Request r;
    r.destination = 5;
    r.text = text;
    r.data = std::move(data);
    return r;
}

Terminal terminal(int model) {
    Terminal t;
    t.node = t.termNr = 5;
    t.model = model;
    t.password = "PW";
    return t;
}

Bytes sealedBlock(Bytes b) {
    std::uint16_t crc = fnd::crc16(b.data(), b.size() - 2);
    b[b.size() - 2] = static_cast<std::uint8_t>(crc);
    b[b.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
    return b;
}

Bytes cause(const std::string& text) {
    Bytes b(kCauseRecordSize, 0);
    std::copy(text.begin(), text.end(), b.begin());
    return b;
}

}  // namespace

TEST(SimCauses, StoredByCodeReadBackEmptyWhenUnknownAndThirtyAtMost) {
    Terminal t = terminal(1);
    EXPECT_EQ(answerRequest(t, req("CA,SE,1e", cause("Malattia"))).kind, Answer::Ok);
    auto back = answerRequest(t, req("CA,GE,1e"));
    ASSERT_EQ(back.kind, Answer::Ok);
    EXPECT_EQ(*back.data, cause("Malattia"));
    EXPECT_EQ(*answerRequest(t, req("CA,GE,1")).data, Bytes(kCauseRecordSize, 0));

    EXPECT_EQ(answerRequest(t, req("CA,SE,2", Bytes(20, 'x'))).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("CA,SE,2", Bytes(21, 'x'))).kind, Answer::Error);  // no NUL
    EXPECT_EQ(answerRequest(t, req("CA,SE,02", cause("x"))).kind, Answer::Error);

    for (int code = 1; code < 30; ++code) answerRequest(t, req("CA,SE," + std::to_string(code), cause("c")));
    EXPECT_EQ(t.config.causes.size(), 30u);
    EXPECT_EQ(answerRequest(t, req("CA,SE,40", cause("c"))).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("CA,SE,1e", cause("again"))).kind, Answer::Ok);
    EXPECT_EQ(answerRequest(t, req("CA,DE")).kind, Answer::Ok);
    EXPECT_TRUE(t.config.causes.empty());
}

TEST(SimAlarms, RecordsWithAWrongCheckAreRefused) {
    Terminal t = terminal(2);
    Bytes record = {0x78, 0x69, 0, 0, 0x1F, 10, 0, 0, 0, 1, 2, 3, 4};
    std::uint16_t crc = fnd::crc16(record.data(), 7);
    EXPECT_EQ(answerRequest(t, req("AL,SE,3", record)).kind, Answer::Error);
    record[7] = static_cast<std::uint8_t>(crc);
    record[8] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_EQ(answerRequest(t, req("AL,SE,3", record)).kind, Answer::Ok);
    EXPECT_EQ(*answerRequest(t, req("AL,GE,3")).data, record);
    EXPECT_EQ(*answerRequest(t, req("AL,GE,0")).data, Bytes(kAlarmRecordSize, 0));
    EXPECT_EQ(answerRequest(t, req("AL,SE,4", Bytes(12, 0))).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("AL,DE,*")).kind, Answer::Ok);
    EXPECT_TRUE(t.config.alarms.empty());
}

TEST(SimParameters, EachModelAnswersItsOwnBlock) {
    Terminal vorn1 = terminal(1);
    auto block = answerRequest(vorn1, req("PA,GE"));
    ASSERT_EQ(block.kind, Answer::Ok);
    ASSERT_EQ(block.data->size(), kParameterBlockSize);
    EXPECT_TRUE(sealed(*block.data));
    EXPECT_EQ((*block.data)[0], 'P');
    EXPECT_EQ((*block.data)[8], 1);   // model
    EXPECT_EQ((*block.data)[10], 5);  // node
    EXPECT_EQ(answerRequest(vorn1, req("GL,PG")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(vorn1, req("EE,GE")).data->size(), kEepromRecordSize);

    Terminal vornL = terminal(4);
    EXPECT_EQ(answerRequest(vornL, req("PA,GE")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(vornL, req("EE,GE")).kind, Answer::Warning);
    auto line = answerRequest(vornL, req("GL,PG"));
    ASSERT_EQ(line.data->size(), kLineParameterBlockSize);
    EXPECT_TRUE(sealed(*line.data));
}

TEST(SimParameters, ABlockIsReplacedOnlyWhenItsSizeAndCheckAreRight) {
    Terminal t = terminal(4);
    Bytes block = sealedBlock({7, 1, 1, 0, 1, 2, 20, 3, 0, 0});
    Bytes broken = block;
    broken[9] ^= 1;
    EXPECT_EQ(answerRequest(t, req("GL,PS", broken)).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("GL,PS", Bytes(block.begin(), block.end() - 1))).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("GL,PS")).kind, Answer::Error);
    EXPECT_TRUE(t.config.lineParameters.empty());
    EXPECT_EQ(answerRequest(t, req("GL,PS", block)).kind, Answer::Ok);
    EXPECT_EQ(*answerRequest(t, req("GL,PG")).data, block);
}

TEST(SimParameters, StateFileKeepsEveryByte) {
    Terminal t = terminal(3);
    Bytes params = defaultParameters(t);
    params[0] = 'A';
    params[1] = 0;
    params[2] = 'Z';  // a byte after the password's NUL
    params[44] = 12;
    t.config.parameters = sealedBlock(params);
    t.config.eeprom = defaultEeprom(t);
    t.config.eeprom[49] ^= 0xFF;  // a wrong stored check
    t.config.lineParameters = {1, 2, 3};  // a faulty block of the wrong size
    t.config.causes[4] = "Ferie";
    t.config.alarms[2] = Bytes(kAlarmRecordSize, 0);

    auto saved = toJson({t});
    auto loaded = fromJson(saved);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].config.parameters, t.config.parameters);
    EXPECT_EQ(loaded[0].config.eeprom, t.config.eeprom);
    EXPECT_EQ(loaded[0].config.lineParameters, t.config.lineParameters);
    EXPECT_EQ(loaded[0].config.causes, t.config.causes);
    EXPECT_EQ(loaded[0].config.alarms, t.config.alarms);
    EXPECT_EQ(saved["terminals"][0]["parameters"]["doorActivation"], 12);
    EXPECT_EQ(saved["terminals"][0]["lineParameters"]["raw"], "010203");
    EXPECT_TRUE(saved["terminals"][0]["eeprom"].contains("check"));
}
