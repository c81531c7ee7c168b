#include "HayesModem.h"

#include "TimeCode.h"

#include <algorithm>
#include <cctype>
#include <ctime>

namespace vornsim {
namespace {

constexpr auto kGuard = std::chrono::milliseconds(50);

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string digitsOf(const std::string& number) {
    std::string out;
    for (char c : number)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '*' || c == '#') out.push_back(c);
    return out;
}

}  // namespace

void HayesModem::result(int code, const std::string& words, Output& out) {
    out.log.push_back(words);
    if (quiet_) return;
    out.toLine += verbose_ ? "\r\n" + words + "\r\n" : std::to_string(code) + "\r";
}

void HayesModem::hangUp() {
    callUp_ = false;
    online_ = false;
    mode_ = Mode::Command;
    plusCount_ = 0;
}

void HayesModem::dropCarrier(Clock::time_point now, Output& out) {
    if (!callUp_ || dropAt_) return;
    dropAt_ = now + std::chrono::milliseconds(config_.dropDelayMs);
    if (now >= *dropAt_) endCall(out);
}

void HayesModem::endCall(Output& out) {
    dropAt_.reset();
    hangUp();
    result(3, "NO CARRIER", out);
}

void HayesModem::receive(std::string_view bytes, Clock::time_point now, Output& out) {
    for (char c : bytes) {
        if (mode_ == Mode::Dialling) {
            // Any byte during a dial aborts it.
            mode_ = Mode::Command;
            result(3, "NO CARRIER", out);
            continue;
        }
        if (online_) {
            bool quietBefore = now - lastByte_ >= kGuard;
            lastByte_ = now;
            if (c == '+' && (plusCount_ > 0 || quietBefore)) {
                if (++plusCount_ == 3) {
                    // Escape to commands; the call stays up.
                    online_ = false;
                    plusCount_ = 0;
                    lineBuffer_.clear();
                    result(0, "OK", out);
                }
                continue;
            }
            const bool farEndThere = mode_ == Mode::Terminals && !dropAt_;
            if (plusCount_ > 0 && farEndThere) out.toTerminals.append(static_cast<std::size_t>(plusCount_), '+');
            plusCount_ = 0;
            if (farEndThere) out.toTerminals.push_back(c);
            continue;
        }
        if (echo_) out.toLine.push_back(c);
        if (c == '\r') {
            std::string line = lineBuffer_;
            lineBuffer_.clear();
            commandLine(line, now, out);
        } else if (c != '\n' && lineBuffer_.size() < 256) {
            lineBuffer_.push_back(c);
        }
    }
}

void HayesModem::commandLine(const std::string& raw, Clock::time_point now, Output& out) {
    std::string line = upper(raw);
    line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
    if (line.empty()) return;
    if (line.rfind("AT", 0) != 0) {
        result(4, "ERROR", out);
        return;
    }
    out.log.push_back("command " + raw);
    std::size_t i = 2;
    auto number = [&]() {
        int v = 0;
        while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) v = v * 10 + (line[i++] - '0');
        return v;
    };
    while (i < line.size()) {
        char c = line[i++];
        switch (c) {
        case 'E': echo_ = number() != 0; break;
        case 'Q': quiet_ = number() != 0; break;
        case 'V': verbose_ = number() != 0; break;
        case 'Z':
            number();
            echo_ = true;
            quiet_ = false;
            verbose_ = true;
            hangUp();
            break;
        case 'H':
            number();
            hangUp();
            break;
        case 'O':
            number();
            if (!callUp_) {
                result(3, "NO CARRIER", out);
                return;
            }
            online_ = true;
            result(1, "CONNECT", out);
            return;
        case 'D': {
            std::string dial = line.substr(i);
            if (!dial.empty() && (dial[0] == 'T' || dial[0] == 'P')) dial.erase(0, 1);
            dialled_ = digitsOf(dial);
            mode_ = Mode::Dialling;
            dialDone_ = now + std::chrono::milliseconds(config_.connectDelayMs);
            out.log.push_back("dialling " + dialled_);
            return;
        }
        case '&':
        case '\\':
        case '%':
            if (i < line.size()) ++i;
            number();
            break;
        case 'S':
            number();
            if (i < line.size() && (line[i] == '=' || line[i] == '?')) {
                ++i;
                number();
            }
            break;
        default: number(); break;
        }
    }
    result(0, "OK", out);
}

void HayesModem::tick(Clock::time_point now, Output& out) {
    if (dropAt_ && now >= *dropAt_) endCall(out);
    if (mode_ == Mode::Dialling && now >= dialDone_) {
        if (config_.busyCalls > 0) {
            --config_.busyCalls;
            mode_ = Mode::Command;
            result(7, "BUSY", out);
        } else if (config_.failedCalls > 0) {
            --config_.failedCalls;
            mode_ = Mode::Command;
            result(3, "NO CARRIER", out);
        } else {
            bool timeService =
                !config_.timeServiceNumber.empty() && dialled_ == digitsOf(config_.timeServiceNumber);
            mode_ = timeService ? Mode::TimeService : Mode::Terminals;
            callUp_ = online_ = true;
            lastByte_ = now;
            nextTimeCode_ = now + std::chrono::milliseconds(config_.timeServiceIntervalMs);
            junkSent_ = 0;
            result(1, config_.baud ? "CONNECT " + std::to_string(config_.baud) : std::string("CONNECT"), out);
        }
    }
    if (mode_ == Mode::TimeService && online_ && now >= nextTimeCode_) {
        nextTimeCode_ = now + std::chrono::milliseconds(config_.timeServiceIntervalMs);
        if (junkSent_ < config_.timeServiceJunkLines) {
            ++junkSent_;
            out.toLine += "service message, not a time code\r\n";
        } else {
            out.toLine += timeCodeLine(std::time(nullptr) + config_.timeServiceOffset);
        }
    }
}

std::optional<HayesModem::Clock::time_point> HayesModem::nextDeadline() const {
    if (dropAt_) return dropAt_;
    if (mode_ == Mode::Dialling) return dialDone_;
    if (mode_ == Mode::TimeService && online_) return nextTimeCode_;
    return std::nullopt;
}

}  // namespace vornsim
