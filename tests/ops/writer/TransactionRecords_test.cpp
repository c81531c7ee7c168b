#include "TransactionRecords.h"

#include "WriterTestSupport.h"
#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TransactionRecord, DecodesLittleEndianFieldsAndChecksTheCrc) {
    auto b = transactionBytes(7, 3, 0xC0123456u, 599616000u + 3600, 0x84, 0x34, 0x01020304u, 0x12);
    ASSERT_TRUE(TransactionRecord::checkMatches(b.data()));
    TransactionRecord r = TransactionRecord::decode(b.data());
    EXPECT_EQ(r.company, 7);
    EXPECT_EQ(r.terminal, 3);
    EXPECT_EQ(r.employee, 0xC0123456u);
    EXPECT_EQ(r.time.seconds(), 599616000u + 3600);
    EXPECT_TRUE(r.isIn());
    EXPECT_EQ(r.kind(), TransactionKind::Job);
    EXPECT_EQ(r.job, 0x01020304u);
    EXPECT_EQ(r.workCode(), 0x12u * 256 + 0x34);

    for (std::size_t i = 0; i < TransactionRecord::kSize; ++i) {
        auto bad = b;
        bad[i] ^= 0x01;
        EXPECT_FALSE(TransactionRecord::checkMatches(bad.data())) << "byte " << i;
    }
}

TEST(TransactionRecord, KindFromTheWholeFlagsByte) {
    struct {
        int flags;
        TransactionKind kind;
        char letter;
    } cases[] = {
        {0x00, TransactionKind::Normal, 'N'},     {0x1F, TransactionKind::Normal, 'N'},
        {0x20, TransactionKind::Access, 'A'},     {0x5F, TransactionKind::Attendance, 'P'},
        {0x60, TransactionKind::Canteen, 'M'},    {0x9F, TransactionKind::Job, 'C'},
        {0xA0, TransactionKind::Undefined, 'N'},  {0xFF, TransactionKind::Undefined, 'N'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kindOfFlags(static_cast<std::uint8_t>(c.flags)), c.kind) << c.flags;
        EXPECT_EQ(kindLetter(c.kind), c.letter) << c.flags;
    }
}

TEST(JobRecord, DecodesDataSubFieldsAndStatusLetters) {
    std::uint8_t b[JobRecord::kSize] = {};
    b[0] = 2;
    b[1] = 9;
    put32(b + 2, 4711);
    put32(b + 6, 86400);
    b[10] = 164;
    std::memcpy(b + 11, "ORDER42 PHASE3", 14);
    b[43] = 0;
    b[51] = 7;
    b[44] = 8;
    b[52] = 6;
    put16(b + 59, fnd::crc16(b, 59));
    ASSERT_TRUE(JobRecord::checkMatches(b));
    b[30] ^= 0x40;
    EXPECT_FALSE(JobRecord::checkMatches(b));
    b[30] ^= 0x40;

    JobRecord r = JobRecord::decode(b);
    EXPECT_EQ(r.employee, 4711u);
    EXPECT_EQ(r.time.seconds(), 86400u);
    EXPECT_EQ(std::string(r.jobData, 14), "ORDER42 PHASE3");
    EXPECT_EQ(r.subStart[1], 8);
    EXPECT_EQ(r.subLength[1], 6);
    EXPECT_EQ(r.statusLetter(), 'R');
    EXPECT_EQ(r.beginEndLetter(), 'F');

    struct {
        int code;
        char status, beginEnd;
    } table[] = {{3, 'I', 'I'},  {6, 'R', 'I'},  {134, 'R', 'I'}, {33, 'I', 'F'}, {36, 'R', 'F'}, {48, 'F', 'F'},
                 {66, 'S', 'I'}, {194, 'S', 'I'}, {96, 'S', 'F'}, {224, 'S', 'F'}, {0, '?', '?'}, {4, '?', '?'}};
    for (const auto& t : table) {
        r.status = static_cast<std::uint8_t>(t.code);
        EXPECT_EQ(r.statusLetter(), t.status) << t.code;
        EXPECT_EQ(r.beginEndLetter(), t.beginEnd) << t.code;
    }
}

TEST(EmployeeStatusRecord, DecodesNameNumberAndLastPassage) {
    std::uint8_t b[EmployeeStatusRecord::kSize];
    std::memset(b, 'X', 21);  // a full name field: the copy stays terminated
    put32(b + 21, 98765);
    b[25] = 4;
    put16(b + 26, 0x0064);
    put32(b + 28, 599616000);
    EmployeeStatusRecord r = EmployeeStatusRecord::decode(b);
    EXPECT_EQ(std::string(r.name), std::string(20, 'X'));
    EXPECT_EQ(r.employee, 98765u);
    EXPECT_EQ(r.company, 4);
    EXPECT_TRUE(r.isIn());
    EXPECT_EQ(r.kind(), TransactionKind::Canteen);
    EXPECT_EQ(r.lastPassage.seconds(), 599616000u);
}
