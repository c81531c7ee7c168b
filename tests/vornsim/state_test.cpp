#include "FaultPlan.h"
#include "Options.h"
#include "TerminalState.h"
#include "TerminalTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

using namespace vornsim;

TEST(TerminalState, JsonRoundTripKeepsEveryRecordByte) {
    Terminal t;
    t.node = 3;
    t.line = "north";
    t.model = 5;
    t.termNr = 30;
    t.password = "pw";
    t.clockOffset = -3600;
    generate(t, {20, 4, 3, 0, 9});
    t.punches[0].check = 0x1234;
    t.daylight = {1, toTerminalTime({2026, 3, 29, 2, 0, 0}), toTerminalTime({2026, 10, 25, 3, 0, 0})};
    t.tables["causes"] = {{"code", 1}, {"text", "MALATTIA"}};
    Terminal b;
    b.node = 4;
    b.model = 8;
    generate(b, {5, 0, 0, 0, 9});

    std::string path = ::testing::TempDir() + "vornsim_state_" + std::to_string(getpid()) + ".json";
    saveState(path, {t, b});
    auto back = loadState(path);
    std::remove(path.c_str());
    ASSERT_EQ(back.size(), 2u);
    const Terminal& r = back[0];
    EXPECT_EQ(r.node, 3);
    EXPECT_EQ(r.line, "north");
    EXPECT_EQ(r.model, 5);
    EXPECT_EQ(r.termNr, 30);
    EXPECT_EQ(r.password, "pw");
    EXPECT_EQ(r.clockOffset, -3600);
    ASSERT_EQ(r.punches.size(), 20u);
    for (std::size_t i = 0; i < 20; ++i) EXPECT_EQ(encodeTransaction(r.punches[i]), encodeTransaction(t.punches[i]));
    ASSERT_EQ(r.jobs.size(), 3u);
    EXPECT_EQ(encodeJob(r.jobs[2]), encodeJob(t.jobs[2]));
    ASSERT_EQ(r.employees.size(), 4u);
    EXPECT_EQ(encodeEmployee(EmployeeFormat::EM, r.employees[3]), encodeEmployee(EmployeeFormat::EM, t.employees[3]));
    EXPECT_EQ(encodeDaylight(r.daylight), encodeDaylight(t.daylight));
    EXPECT_EQ(r.tables, t.tables) << "tables of later features are kept as found";
    ASSERT_EQ(back[1].extended.size(), 5u);
    EXPECT_EQ(encodeExtended(back[1].extended[4]), encodeExtended(b.extended[4]));
}

TEST(TerminalState, RefusesBadStateWithAReason) {
    auto refuse = [](const std::string& text) {
        try {
            fromJson(nlohmann::ordered_json::parse(text));
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(refuse(R"({"terminals":[{"node":1,"model":"VORN9"}]})").find("unknown model"), std::string::npos);
    EXPECT_NE(refuse(R"({"terminals":[{"node":100}]})").find("node"), std::string::npos);
    EXPECT_NE(refuse(R"({"terminals":[{"node":1,"punches":[{"time":"2026-02-30 00:00:00"}]}]})").find("bad time"),
              std::string::npos);
    EXPECT_EQ(refuse(R"({"terminals":[{"node":1,"punches":[{"time":"2026-02-28 00:00:00"}]}]})"), "accepted");
}

TEST(TerminalState, GeneratedDataIsReproducible) {
    auto make = [](std::uint32_t seed) {
        Terminal t;
        t.node = 2;
        generate(t, {50, 5, 0, 0, seed});
        return toJson({t}).dump();
    };
    EXPECT_EQ(make(7), make(7));
    EXPECT_NE(make(7), make(8));

    Terminal t;
    t.node = 2;
    generate(t, {10, 0, 0, 0, 1});
    addFreshRecords(t, 3, 1);
    ASSERT_EQ(t.punches.size(), 13u);
    EXPECT_GE(t.punches[10].time, t.punches[9].time) << "fresh records are newer";
}

TEST(FaultPlan, SelectorsByNumberTextPrefixAndAll) {
    FaultPlan plan;
    EXPECT_TRUE(plan.add(Fault::NoReply, "3"));
    EXPECT_TRUE(plan.add(Fault::BadChecksum, "RE,DE"));
    EXPECT_TRUE(plan.add(Fault::Noise, "RE,GE,*"));
    EXPECT_TRUE(plan.add(Fault::Warning, "*"));
    EXPECT_FALSE(plan.add(Fault::Drop, ""));
    EXPECT_FALSE(plan.add(Fault::Drop, "0"));

    auto f3 = plan.faultsFor(3, "VE");
    EXPECT_EQ(f3, (std::vector<Fault>{Fault::NoReply, Fault::Warning}));
    EXPECT_EQ(plan.faultsFor(4, "RE,DE"), (std::vector<Fault>{Fault::BadChecksum, Fault::Warning}));
    EXPECT_EQ(plan.faultsFor(5, "RE,GE,1f"), (std::vector<Fault>{Fault::Noise, Fault::Warning}));
    EXPECT_EQ(plan.faultsFor(6, "RE,DEX"), (std::vector<Fault>{Fault::Warning}));

    FaultPlan grow;
    EXPECT_TRUE(grow.addRecordsAfter("5"));
    EXPECT_EQ(grow.takeRecordsToAdd(1, "VE"), 0);
    EXPECT_EQ(grow.takeRecordsToAdd(2, "RE,NR"), 5);
    EXPECT_EQ(grow.takeRecordsToAdd(9, "RE,NR"), 0) << "only once";
    FaultPlan later;
    EXPECT_TRUE(later.addRecordsAfter("2@RE,GE,*"));
    EXPECT_EQ(later.takeRecordsToAdd(1, "RE,NR"), 0);
    EXPECT_EQ(later.takeRecordsToAdd(2, "RE,GE,0"), 2);
    EXPECT_FALSE(FaultPlan().addRecordsAfter("x@RE,NR"));
}

TEST(Options, CommandLineAndTerminals) {
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions({"--terminal", "5:VORN2C", "--terminal", "7:4:UM", "--tcp", "0:5,7", "--pty", "7",
                              "--modem", "all", "--records", "12", "--seed", "3", "--baud", "9600", "--no-reply",
                              "2", "--clock", "2030-01-02 03:04:05"},
                             o, error))
        << error;
    EXPECT_EQ(o.server.tcp.size(), 1u);
    EXPECT_EQ(o.server.tcp[0].nodes, (std::vector<int>{5, 7}));
    EXPECT_EQ(o.server.ptys[0].nodes, (std::vector<int>{7}));
    EXPECT_TRUE(o.server.modems[0].nodes.empty());
    EXPECT_EQ(o.server.baud, 9600);
    std::vector<Terminal> terms;
    ASSERT_TRUE(buildTerminals(o, terms, error)) << error;
    ASSERT_EQ(terms.size(), 2u);
    EXPECT_EQ(terms[1].model, 4);
    EXPECT_EQ(terms[1].employeeFormat, EmployeeFormat::UM);
    EXPECT_EQ(terms[0].punches.size(), 12u);
    EXPECT_NEAR(static_cast<double>(terms[0].clockNow()), toTerminalTime({2030, 1, 2, 3, 4, 5}), 2.0);

    auto fails = [](std::vector<std::string> args) {
        Options o;
        std::string error;
        if (!parseOptions(args, o, error)) return error;
        std::vector<Terminal> terms;
        if (!buildTerminals(o, terms, error)) return error;
        return std::string();
    };
    EXPECT_NE(fails({"--terminal", "1"}), "") << "no endpoint";
    EXPECT_NE(fails({"--tcp", "0"}), "") << "no terminal";
    EXPECT_NE(fails({"--terminal", "1:VORN9", "--tcp", "0"}), "") << "unknown model";
    EXPECT_EQ(fails({"--terminal", "1:VORNT3", "--bridge", "0"}), "") << "line-protocol model behind a bridge";
    EXPECT_NE(fails({"--terminal", "1", "--terminal", "1", "--tcp", "0"}), "") << "same node twice";
    EXPECT_EQ(fails({"--terminal", "1@a", "--terminal", "1@b", "--tcp", "0@a", "--pty", "1@b"}), "")
        << "the same node on two lines";
    EXPECT_NE(fails({"--terminal", "1@a", "--tcp", "0:1"}), "") << "node 1 is not on the endpoint's line";
    EXPECT_NE(fails({"--terminal", "1", "--tcp", "0:2"}), "") << "endpoint names an unknown node";
    EXPECT_NE(fails({"--terminal", "1", "--tcp", "0", "--records"}), "") << "missing value";
    EXPECT_NE(fails({"--terminal", "1", "--tcp", "70000"}), "");
    EXPECT_NE(fails({"--terminal", "1", "--tcp", "0", "--bogus", "1"}), "");
}
