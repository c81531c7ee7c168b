// Random input must never crash the framer, the parser or a terminal's answers.
#include "CommandHandler.h"
#include "TelegramFramer.h"

#include "crc16.h"

#include <gtest/gtest.h>

#include <random>

using namespace vornsim;

TEST(Robustness, RandomBytesThroughFramerParserAndTerminals) {
    std::mt19937 rng(12345);
    const char* const texts[] = {"RE,GE,", "RA,GE,", "JO,GE,", "US,GI,", "EM,SE", "UM,SE", "US,SE", "EM,SD",
                                 "TI,SE", "TL,SE", "OPEN", "EM,GN,0", "EI,GN,0", "RE,DE", "VE", ""};
    std::vector<Terminal> terminals;
    for (int model : {1, 2, 3, 4, 5, 8}) {
        Terminal t;
        t.model = model;
        t.employeeFormat = defaultEmployeeFormat(model);
        generate(t, {20, 5, 5, 5, 1});
        terminals.push_back(t);
    }
    TelegramFramer framer(true);
    int answered = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        if (rng() % 2) {
            // A well-framed telegram with a random text and random data.
            std::string text = texts[rng() % std::size(texts)];
            for (int i = rng() % 8; i > 0; --i) text.push_back("0123456789abcdefAZ,*"[rng() % 20]);
            std::string t = "\x01" "05000102" + text;
            if (rng() % 2) {
                t.push_back('\x02');
                for (int i = rng() % 600; i > 0; --i) t.push_back("0123456789abcdef"[rng() % 16]);
            }
            char crc[5];
            std::snprintf(crc, sizeof crc, "%04x", fnd::crc16(t.data(), t.size()));
            bytes = t + crc + "\x04";
        } else {
            for (int i = rng() % 200; i > 0; --i) bytes.push_back(static_cast<char>(rng() % 8 == 0 ? rng() % 5 : rng()));
        }
        for (const auto& ev : framer.feed(bytes)) {
            if (ev.kind != FramerEvent::Telegram) continue;
            ParsedRequest p = parseRequest(ev.bytes);
            if (p.error != RequestError::None) continue;
            Answer a = answerRequest(terminals[rng() % terminals.size()], p.request);
            ++answered;
            if (a.kind != Answer::Ok) {
                EXPECT_FALSE(a.data) << "a W or E answer carries no record";
            }
        }
    }
    EXPECT_GT(answered, 1000);
}
