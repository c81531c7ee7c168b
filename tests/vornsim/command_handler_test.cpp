#include "CommandHandler.h"
#include "TerminalTime.h"

#include <gtest/gtest.h>

using namespace vornsim;

namespace {

Request req(const std::string& text, std::optional<Bytes> data = std::nullopt) {
    Request r;
    r.destination = 5;
    r.sequence = 1;
    r.text = text;
    r.data = std::move(data);
    return r;
}

Terminal terminal(int model, int punches = 0) {
    Terminal t;
    t.node = t.termNr = 5;
    t.model = model;
    t.employeeFormat = defaultEmployeeFormat(model);
    for (int i = 0; i < punches; ++i) {
        Transaction p;
        p.company = 1;
        p.terminal = 5;
        p.employee = 100 + static_cast<std::uint32_t>(i);
        p.time = 86400 * 100 + static_cast<std::uint32_t>(i) * 60;
        p.flags = 4;
        t.punches.push_back(p);
    }
    return t;
}

int count(const Answer& a) {
    EXPECT_EQ(a.kind, Answer::Ok);
    EXPECT_TRUE(a.data && a.data->size() == 2);
    return a.data ? (*a.data)[0] | (*a.data)[1] << 8 : -1;
}

}  // namespace

TEST(CommandHandler, PunchCountFetchAndDelete) {
    Terminal t = terminal(1, 300);
    EXPECT_EQ(count(answerRequest(t, req("RE,NR"))), 300);

    auto tenth = answerRequest(t, req("RE,GE,a"));
    ASSERT_EQ(tenth.kind, Answer::Ok);
    EXPECT_EQ(*tenth.data, encodeTransaction(t.punches[10]));
    auto last = answerRequest(t, req("RE,GE,ff"));
    ASSERT_EQ(last.kind, Answer::Ok);
    EXPECT_EQ(*last.data, encodeTransaction(t.punches[255]));

    EXPECT_EQ(answerRequest(t, req("RE,GE,12c")).kind, Answer::Warning) << "index 300 is past the end";
    EXPECT_EQ(answerRequest(t, req("RE,GE,A")).kind, Answer::Error) << "upper-case hex";
    EXPECT_EQ(answerRequest(t, req("RE,GE,0a")).kind, Answer::Error) << "leading zero";
    EXPECT_EQ(answerRequest(t, req("RE,GE,")).kind, Answer::Error);

    EXPECT_EQ(answerRequest(t, req("RE,DE")).kind, Answer::Ok);
    EXPECT_EQ(count(answerRequest(t, req("RE,NR"))), 0);
    EXPECT_TRUE(t.recoverable.empty()) << "only the VORN-L keeps deleted punches";
}

TEST(CommandHandler, ModelSpecificObjects) {
    Terminal vornL = terminal(4, 3);
    EXPECT_EQ(count(answerRequest(vornL, req("RA,NR"))), 0);
    answerRequest(vornL, req("RE,DE"));
    EXPECT_EQ(count(answerRequest(vornL, req("RA,NR"))), 3) << "deleted punches stay recoverable";
    EXPECT_EQ(*answerRequest(vornL, req("RA,GE,2")).data, encodeTransaction(vornL.recoverable[2]));
    answerRequest(vornL, req("RA,DE"));
    EXPECT_EQ(count(answerRequest(vornL, req("RA,NR"))), 0);
    EXPECT_EQ(answerRequest(vornL, req("JO,NR")).kind, Answer::Warning);

    Terminal vorn2c = terminal(5);
    JobRecord j;
    j.employee = 42;
    vorn2c.jobs = {j, j};
    EXPECT_EQ(count(answerRequest(vorn2c, req("JO,NR"))), 2);
    auto job = answerRequest(vorn2c, req("JO,GE,1"));
    ASSERT_EQ(job.kind, Answer::Ok);
    EXPECT_EQ(job.data->size(), 61u);
    answerRequest(vorn2c, req("JO,DE"));
    EXPECT_EQ(count(answerRequest(vorn2c, req("JO,NR"))), 0);
    EXPECT_EQ(answerRequest(vorn2c, req("RA,NR")).kind, Answer::Warning);

    Terminal vorn2b = terminal(8);
    vorn2b.extended.resize(4);
    EXPECT_EQ(count(answerRequest(vorn2b, req("RE,NR"))), 4);
    EXPECT_EQ(answerRequest(vorn2b, req("RE,GE,3")).data->size(), 46u);

    Terminal vorn2 = terminal(2);
    vorn2.employeeFormat = EmployeeFormat::UM;
    auto mp = answerRequest(vorn2, req("MP,GE"));
    ASSERT_EQ(mp.kind, Answer::Ok);
    EXPECT_EQ((*mp.data)[24], 2);
    EXPECT_EQ(answerRequest(vorn2c, req("MP,GE")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(vorn2c, req("EM,CO")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(vorn2c, req("XX,YY")).kind, Answer::Warning);
}

TEST(CommandHandler, EmployeesRoundTripInTheTerminalsFormat) {
    Terminal t = terminal(1);  // EM format
    Employee a;
    a.company = 1;
    a.number = 10;
    a.name = "FERRARI LUCA";
    Employee b = a;
    b.number = 11;
    b.name = "GRECO SARA";
    EXPECT_EQ(answerRequest(t, req("EM,SE", encodeEmployee(EmployeeFormat::EM, a))).kind, Answer::Ok);
    EXPECT_EQ(answerRequest(t, req("EM,SE", encodeEmployee(EmployeeFormat::EM, b))).kind, Answer::Ok);
    a.name = "FERRARI LUCA MARIO";
    EXPECT_EQ(answerRequest(t, req("EM,SE", encodeEmployee(EmployeeFormat::EM, a))).kind, Answer::Ok);
    ASSERT_EQ(t.employees.size(), 2u) << "the same number replaces the employee";

    Bytes damaged = encodeEmployee(EmployeeFormat::EM, b);
    damaged[8] ^= 1;
    EXPECT_EQ(answerRequest(t, req("EM,SE", damaged)).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("US,SE", encodeEmployee(EmployeeFormat::US, b))).kind, Answer::Warning)
        << "a terminal keeps one format";

    Bytes sd(175, 0);
    sd[0] = 11;
    std::string text = "TURNO B";
    std::copy(text.begin(), text.end(), sd.begin() + 7 + 21);
    EXPECT_EQ(answerRequest(t, req("EM,SD", sd)).kind, Answer::Ok);
    EXPECT_EQ(t.employees[1].texts[1], "TURNO B");
    sd[0] = 99;
    EXPECT_EQ(answerRequest(t, req("EM,SD", sd)).kind, Answer::Warning);

    auto first = answerRequest(t, req("EM,GF,0"));
    ASSERT_EQ(first.kind, Answer::Ok);
    EXPECT_EQ(*first.data, encodeEmployee(EmployeeFormat::EM, t.employees[0]));
    auto second = answerRequest(t, req("EM,GN,0"));
    ASSERT_EQ(second.kind, Answer::Ok);
    std::string why;
    EXPECT_EQ(decodeEmployee(EmployeeFormat::EM, *second.data, why)->texts[1], "TURNO B");
    EXPECT_EQ(answerRequest(t, req("EM,GN,0")).kind, Answer::Warning);

    auto version = answerRequest(t, req("VE"));
    EXPECT_EQ((*version.data)[62], 2) << "employee count of the version record";

    EXPECT_EQ(answerRequest(t, req("EM,DE,*")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(t, req("EM,DE,*,*")).kind, Answer::Ok);
    EXPECT_EQ(answerRequest(t, req("EM,GF,0")).kind, Answer::Warning) << "an empty list";
}

TEST(CommandHandler, UsFormatByIndexAndCount) {
    Terminal t = terminal(4);  // VORN-L keeps US records
    Employee e;
    e.company = 2;
    for (std::uint32_t n : {7u, 8u, 9u}) {
        e.number = n;
        ASSERT_EQ(answerRequest(t, req("US,SE", encodeEmployee(EmployeeFormat::US, e))).kind, Answer::Ok);
    }
    EXPECT_EQ(count(answerRequest(t, req("EM,CO"))), 3);
    auto third = answerRequest(t, req("US,GI,2"));
    ASSERT_EQ(third.kind, Answer::Ok);
    EXPECT_EQ(third.data->size(), 12u);
    EXPECT_EQ((*third.data)[6], 9);
    EXPECT_EQ(answerRequest(t, req("US,GI,3")).kind, Answer::Warning);
    EXPECT_EQ(answerRequest(t, req("US,DE,*")).kind, Answer::Ok);
    EXPECT_EQ(count(answerRequest(t, req("EM,CO"))), 0);
}

TEST(CommandHandler, ClockAndDaylightSaving) {
    Terminal t = terminal(1);
    std::uint32_t wanted = toTerminalTime({2030, 6, 15, 10, 20, 30});
    Bytes set = {static_cast<std::uint8_t>(wanted), static_cast<std::uint8_t>(wanted >> 8),
                 static_cast<std::uint8_t>(wanted >> 16), static_cast<std::uint8_t>(wanted >> 24)};
    EXPECT_EQ(answerRequest(t, req("TI,SE", set)).kind, Answer::Ok);
    auto got = answerRequest(t, req("TI,GE"));
    ASSERT_EQ(got.data->size(), 4u);
    std::uint32_t now = (*got.data)[0] | (*got.data)[1] << 8 | (*got.data)[2] << 16 |
                        static_cast<std::uint32_t>((*got.data)[3]) << 24;
    EXPECT_GE(now, wanted);
    EXPECT_LE(now, wanted + 2) << "the clock runs on from the time set";
    EXPECT_EQ(answerRequest(t, req("TI,SE", Bytes{1, 2, 3})).kind, Answer::Error);

    DaylightSaving d{1, toTerminalTime({2026, 3, 29, 2, 0, 0}), toTerminalTime({2026, 10, 25, 3, 0, 0})};
    EXPECT_EQ(answerRequest(t, req("TL,SE", encodeDaylight(d))).kind, Answer::Ok);
    EXPECT_EQ(*answerRequest(t, req("TL,GE")).data, encodeDaylight(d));
    Bytes bad = encodeDaylight({0, 1, 2});
    bad[11] ^= 0xff;
    EXPECT_EQ(answerRequest(t, req("TL,SE", bad)).kind, Answer::Error);
    EXPECT_EQ(*answerRequest(t, req("TL,GE")).data, encodeDaylight(d)) << "a refused record changes nothing";
}

TEST(CommandHandler, LatestTransactionsAndEmployeeInformation) {
    Terminal t = terminal(1, 12);
    Employee e;
    e.company = 1;
    e.number = 111;  // the last punch
    e.name = "COLOMBO ELENA";
    Employee never = e;
    never.number = 5000;
    never.name = "MAI VISTO";
    t.employees = {e, never};

    auto gl = answerRequest(t, req("EM,GL"));
    ASSERT_EQ(gl.data->size(), 341u);
    EXPECT_EQ((*gl.data)[0], 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&(*gl.data)[1])), "COLOMBO ELENA") << "newest first";
    EXPECT_EQ((*gl.data)[1 + 21], 111);
    EXPECT_EQ((*gl.data)[1 + 34 + 21], 110);

    EXPECT_EQ(answerRequest(t, req("EI,RI")).kind, Answer::Ok);
    auto first = answerRequest(t, req("EI,GF,0"));
    ASSERT_EQ(first.kind, Answer::Ok);
    EXPECT_EQ(*first.data, encodeStatusRecord("COLOMBO ELENA", 111, 1, 4, t.punches[11].time));
    auto second = answerRequest(t, req("EI,GN,0"));
    EXPECT_EQ(*second.data, encodeStatusRecord("MAI VISTO", 5000, 1, 0, 0));
    EXPECT_EQ(answerRequest(t, req("EI,GN,0")).kind, Answer::Warning);
}

TEST(CommandHandler, LogOnPassword) {
    Terminal t = terminal(1);
    t.password = "1234";
    EXPECT_EQ(answerRequest(t, req("OPEN", Bytes{'1', '2', '3', '4', 0})).kind, Answer::Ok);
    EXPECT_EQ(answerRequest(t, req("OPEN", Bytes{'1', '2', '3', 0})).kind, Answer::Error);
    EXPECT_EQ(answerRequest(t, req("OPEN", Bytes{'1', '2', '3', '4'})).kind, Answer::Error) << "no NUL";
    t.password.clear();
    EXPECT_EQ(answerRequest(t, req("OPEN", Bytes{0})).kind, Answer::Ok);
}
