#include "LineEndpoint.h"

#include "LineTerminal.h"
#include "Telegram.h"
#include "crc16.h"

#include <algorithm>
#include <cstdio>

namespace vornsim {
namespace {

constexpr char kFrameStart = 0x02;
constexpr char kFrameEnd = 0x03;
constexpr std::size_t kFrameHead = 1 + 1 + 2 + 3;  // STX, kind, node, length
constexpr std::size_t kFrameTail = 4 + 1;          // check, ETX
constexpr std::size_t kMaxInput = 4096;
constexpr int kNodes = 32;
// Lines an endless dump adds: far more than any stored file holds.
constexpr std::size_t kEndlessLines = 100000;

std::string two(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v % 100);
    return b;
}

int digits(std::string_view s) {
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

bool parseUnsolicitedLine(const std::string& entry, UnsolicitedLine& out) {
    auto colon = entry.find(':');
    auto at = entry.rfind('@');
    if (colon == std::string::npos || at == std::string::npos || at < colon) return false;
    out.node = digits(entry.substr(0, colon));
    out.text = entry.substr(colon + 1, at - colon - 1);
    return out.node >= 1 && out.node <= kNodes && FaultSelector::parse(entry.substr(at + 1), out.when);
}

Terminal* LineEndpoint::terminalFor(int node) {
    if (!setup_.nodes.empty() && std::find(setup_.nodes.begin(), setup_.nodes.end(), node) == setup_.nodes.end())
        return nullptr;
    for (auto& t : *setup_.terminals)
        if (t.node == node && t.line == setup_.line && isLineModel(t.model)) return &t;
    return nullptr;
}

std::string LineEndpoint::nodeStatus() {
    std::string status(kNodes, '0');
    for (int node = 1; node <= kNodes; ++node)
        if (terminalFor(node)) status[node - 1] = '1';
    return status;
}

bool LineEndpoint::answer(int node, const std::string& text, Output& out, std::vector<Message>& lines) {
    Terminal* term = terminalFor(node);
    if (!term) {
        out.log.push_back({"IGNORED node=" + two(node) + " not served here", text});
        return false;
    }
    int number = ++*setup_.requests;
    std::string id = "#" + std::to_string(number) + " node=" + two(node);
    out.log.push_back({"LINE RX " + id + " \"" + escapeBytes(text) + "\"", text});
    for (const auto& u : *setup_.unsolicited)
        if (u.when.matches(number, text)) lines.push_back({u.node, u.text});

    auto faults = setup_.faults->faultsFor(number, text);
    auto has = [&](Fault f) { return std::find(faults.begin(), faults.end(), f) != faults.end(); };
    if (has(Fault::Drop)) {
        out.log.push_back({"DROP " + id, {}});
        out.drop = true;
        return false;
    }
    if (has(Fault::NoReply)) {
        out.log.push_back({"SKIP " + id + " no-reply", {}});
        return true;
    }
    int sender = has(Fault::WrongDestination) ? node % kNodes + 1 : node;
    std::vector<std::string> answer = answerLineCommand(*term, text);
    const bool dump = text.rfind("@TYPE", 0) == 0;
    if (dump && has(Fault::GarbageLine)) {
        // The first record line after the echo, garbled on the way.
        if (answer.size() > 2) answer[1] = "x9" + answer[1].substr(2) + "\x7f";
        out.log.push_back({"FAULT " + id + " garbage-line", {}});
    }
    if (dump && has(Fault::EndlessDump) && answer.size() > 1) {
        std::string repeated = answer[1];
        answer.pop_back();  // no end of transfer
        answer.insert(answer.end(), kEndlessLines, repeated);
        out.log.push_back({"FAULT " + id + " endless-dump", {}});
    }
    for (auto& l : answer) lines.push_back({sender, std::move(l)});
    if (int added = setup_.faults->takeRecordsToAdd(number, text)) {
        addFreshRecords(*term, added, setup_.seed + static_cast<std::uint32_t>(number));
        out.log.push_back({"ADDED " + std::to_string(added) + " records to node=" + two(node), {}});
    }
    return true;
}

void LineEndpoint::bridgeRequest(std::string_view chunk, Output& out) {
    if (chunk.substr(0, 4) == "////") {
        out.log.push_back({"BRIDGE RX", std::string(chunk)});
        if (chunk.substr(4, 1) == "Z") out.reply += "Z" + nodeStatus() + std::string(1, kEot);
        return;
    }
    int node = static_cast<unsigned char>(chunk[0]);
    std::vector<Message> lines;
    answer(node, std::string(chunk.substr(1)), out, lines);
    if (setup_.bareLines) {
        for (const auto& m : lines) out.bareLines.push_back(std::string(1, static_cast<char>(m.sender)) + m.text);
        return;
    }
    std::string reply;
    for (const auto& m : lines) reply += std::string(1, static_cast<char>(m.sender)) + m.text + "\r\n";
    if (!reply.empty()) out.log.push_back({"LINE TX node=" + two(node) + " " + std::to_string(lines.size()) + " lines", reply});
    out.reply += reply;
}

void LineEndpoint::sendFrame(char kind, int node, const std::string& payload, Output& out) {
    char head[16];
    std::snprintf(head, sizeof head, "%c%02d%03zu", kind, node % 100, payload.size() % 1000);
    std::string body = head + payload;
    char check[8];
    std::snprintf(check, sizeof check, "%04x", fnd::crc16(body.data(), body.size()));
    out.reply += kFrameStart + body + check + kFrameEnd;
}

void LineEndpoint::concentratorFrame(char kind, int node, const std::string& payload, Output& out) {
    switch (kind) {
    case 'I':
        outbox_.clear();
        sendFrame('I', 0, "OK", out);
        break;
    case 'S': {
        std::vector<Message> lines;
        if (!terminalFor(node)) {
            sendFrame('T', node, "", out);
            break;
        }
        if (!answer(node, payload, out, lines)) break;  // dropped: the node never takes it
        // A poll of this node delivers them, whoever they claim to be from.
        for (auto& m : lines) outbox_[node].push_back(std::move(m));
        sendFrame('A', node, "", out);
        break;
    }
    case 'P': {
        if (!terminalFor(node)) {
            sendFrame('N', node, "", out);
            break;
        }
        auto& box = outbox_[node];
        if (box.empty()) {
            sendFrame('E', node, "", out);
            break;
        }
        Message m = std::move(box.front());
        box.pop_front();
        out.log.push_back({"LINE TX node=" + two(node) + " from=" + two(m.sender), m.text});
        sendFrame('M', m.sender, m.text, out);
        break;
    }
    case 'R': outbox_.clear(); break;
    default: out.log.push_back({std::string("REFUSED frame kind ") + kind, {}}); break;
    }
}

LineEndpoint::Output LineEndpoint::receive(std::string_view bytes) {
    Output out;
    if (kind_ == Bridge) {
        if (!bytes.empty()) bridgeRequest(bytes, out);
        return out;
    }
    input_.append(bytes);
    for (;;) {
        auto start = input_.find(kFrameStart);
        if (start == std::string::npos) {
            input_.clear();
            break;
        }
        if (start > 0) out.log.push_back({"REFUSED " + std::to_string(start) + " bytes outside a frame", input_.substr(0, start)});
        input_.erase(0, start);
        if (input_.size() < kFrameHead) break;
        int node = digits(std::string_view(input_).substr(2, 2));
        int length = digits(std::string_view(input_).substr(4, 3));
        if (node < 0 || length < 0) {
            out.log.push_back({"REFUSED bad frame head", input_.substr(0, kFrameHead)});
            input_.erase(0, 1);
            continue;
        }
        std::size_t total = kFrameHead + static_cast<std::size_t>(length) + kFrameTail;
        if (input_.size() < total) break;
        std::string body = input_.substr(1, kFrameHead - 1 + static_cast<std::size_t>(length));
        char check[8];
        std::snprintf(check, sizeof check, "%04x", fnd::crc16(body.data(), body.size()));
        bool good = input_.compare(kFrameHead + static_cast<std::size_t>(length), 4, check) == 0 && input_[total - 1] == kFrameEnd;
        std::string frame = input_.substr(0, total);
        input_.erase(0, total);
        if (!good) {
            out.log.push_back({"REFUSED bad frame check", frame});
            continue;
        }
        concentratorFrame(body[0], node, body.substr(kFrameHead - 1), out);
    }
    if (input_.size() > kMaxInput) input_.clear();
    return out;
}

}  // namespace vornsim
