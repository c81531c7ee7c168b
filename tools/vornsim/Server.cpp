#include "Server.h"

#include "CommandHandler.h"
#include "Telegram.h"
#include "TelegramFramer.h"

#include <algorithm>
#include <cstdio>

namespace vornsim {

using Clock = ChannelLoop::Clock;

namespace {

constexpr std::size_t kMaxQueued = 256;
// A warning text that would pass for lines of the tool's log if logged raw.
constexpr char kForgedText[] = "\r\n12:00:00.000 I [Term 001] Comando RE,DE eseguito.\x05";
// Stands for line noise; holds none of the framing bytes.
const std::string kNoise = "\x7f\xfe#~\x55\xaa";

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

// The text section of a reply: empty, 'W' or 'E'.
const char* replyText(Answer::Kind kind) { return kind == Answer::Warning ? "W" : kind == Answer::Error ? "E" : ""; }

Clock::duration byteTimeAt(int baud) {
    return baud ? std::chrono::nanoseconds(10'000'000'000LL / baud) : std::chrono::nanoseconds(0);
}

}  // namespace

struct Server::TelegramChannel : ChannelLoop::Channel {
    std::vector<int> nodes;
    std::string line;
    TelegramFramer framer{false};
    bool lineProtocol = false;
    std::unique_ptr<LineEndpoint> lines;
    std::unique_ptr<XmodemReceiver> xmodem;
    Clock::time_point requestStart{};

    bool serves(int node) const { return nodes.empty() || std::find(nodes.begin(), nodes.end(), node) != nodes.end(); }
};

namespace {
// Every channel of this server is a TelegramChannel.
Server::TelegramChannel& telegrams(ChannelLoop::Channel& ch) { return static_cast<Server::TelegramChannel&>(ch); }
const Server::TelegramChannel& telegrams(const ChannelLoop::Channel& ch) {
    return static_cast<const Server::TelegramChannel&>(ch);
}
}  // namespace

Terminal* Server::terminalFor(const TelegramChannel& ch, int node) {
    if (!ch.serves(node)) return nullptr;
    for (auto& t : terminals_)
        if (t.node == node && t.line == ch.line) return &t;
    return nullptr;
}

std::string Server::nodeList(const ServerConfig::Endpoint& ep) const {
    std::string out;
    auto add = [&](int n) { out += (out.empty() ? "" : ",") + std::to_string(n); };
    if (!ep.nodes.empty())
        for (int n : ep.nodes) add(n);
    else
        for (const auto& t : terminals_)
            if (t.line == ep.line) add(t.node);
    return out;
}

Server::Server(std::vector<Terminal>& terminals, ServerConfig config, FaultPlan& faults, WireLog& log)
    : ChannelLoop(log, {byteTimeAt(config.baud), config.modem, "MODEM TX"}),
      terminals_(terminals),
      config_(std::move(config)),
      faults_(faults) {}

bool Server::openEndpoints(std::string& error) {
    auto channelFor = [](const ServerConfig::Endpoint& ep) {
        auto ch = std::make_unique<TelegramChannel>();
        ch->nodes = ep.nodes;
        ch->line = ep.line;
        ch->lineProtocol = ep.lineProtocol;
        return ch;
    };
    for (const auto& ep : config_.tcp)
        if (!listen(channelFor(ep), config_.bindAddress, ep.port, nodeList(ep), error)) return false;
    auto openPtys = [&](const std::vector<ServerConfig::Endpoint>& endpoints, Channel::Kind kind) {
        for (std::size_t i = 0; i < endpoints.size(); ++i) {
            Channel* ch = openPty(channelFor(endpoints[i]), kind, static_cast<int>(i + 1), nodeList(endpoints[i]), error);
            if (!ch) return false;
            auto& t = telegrams(*ch);
            if (t.lineProtocol) t.lines = lineEndpoint(LineEndpoint::Concentrator, t);
        }
        return true;
    };
    return openPtys(config_.ptys, Channel::Pty) && openPtys(config_.modems, Channel::Modem);
}

std::unique_ptr<ChannelLoop::Channel> Server::accepted(const Channel& listener) {
    const auto& from = telegrams(listener);
    auto ch = std::make_unique<TelegramChannel>();
    ch->nodes = from.nodes;
    ch->line = from.line;
    ch->framer = TelegramFramer(true);
    if (from.lineProtocol) ch->lines = lineEndpoint(LineEndpoint::Bridge, *ch);
    return ch;
}

void Server::received(Channel& channel, std::string_view bytes) {
    auto& ch = telegrams(channel);
    if (ch.lines)
        feedLines(ch, bytes);
    else if (ch.xmodem)
        feedXmodem(ch, bytes);
    else
        feedTelegrams(ch, bytes);
}

void Server::tick(Channel& channel) {
    auto& ch = telegrams(channel);
    if (!ch.xmodem) return;
    XmodemReceiver::Output out;
    ch.xmodem->tick(Clock::now(), out);
    xmodemOutput(ch, out);
}

std::optional<Clock::time_point> Server::deadline(const Channel& channel) const {
    const auto& ch = telegrams(channel);
    return ch.xmodem ? ch.xmodem->nextDeadline() : std::nullopt;
}

void Server::startXmodem(TelegramChannel& ch) {
    XmodemReceiver::Config config = config_.xmodem;
    config.byteTimeNs = std::chrono::duration_cast<std::chrono::nanoseconds>(byteTime()).count();
    ch.xmodem = std::make_unique<XmodemReceiver>(config);
    XmodemReceiver::Output out;
    ch.xmodem->start(Clock::now(), out);
    xmodemOutput(ch, out);
}

void Server::feedXmodem(TelegramChannel& ch, std::string_view bytes) {
    XmodemReceiver::Output out;
    ch.xmodem->receive(bytes, Clock::now(), out);
    xmodemOutput(ch, out);
}

void Server::xmodemOutput(TelegramChannel& ch, const XmodemReceiver::Output& out) {
    for (const auto& l : out.log) log_.line(ch.name, l);
    if (!out.toLine.empty()) ch.out.push_back({out.toLine, out.notBefore, {}, "XMODEM TX"});
    if (!ch.xmodem->finished()) return;
    if (ch.xmodem->complete() && !config_.firmwareOut.empty()) {
        if (std::FILE* f = std::fopen(config_.firmwareOut.c_str(), "wb")) {
            std::fwrite(ch.xmodem->image().data(), 1, ch.xmodem->image().size(), f);
            std::fclose(f);
        }
    }
    ch.xmodem.reset();  // back to telegrams
}

void Server::feedTelegrams(TelegramChannel& ch, std::string_view bytes) {
    if (!ch.framer.inTelegram()) ch.requestStart = Clock::now();
    for (auto& ev : ch.framer.feed(bytes)) {
        if (ch.closed) return;
        switch (ev.kind) {
        case FramerEvent::Noise:
            log_.line(ch.name, "REFUSED " + std::to_string(ev.bytes.size()) + " bytes outside a telegram", ev.bytes);
            break;
        case FramerEvent::Oversize:
            log_.line(ch.name, "REFUSED telegram over 1024 bytes", ev.bytes.substr(0, 64));
            break;
        case FramerEvent::BridgeQuery: {
            std::string status(32, '0');
            for (int node = 1; node <= 32; ++node)
                if (terminalFor(ch, node)) status[node - 1] = '1';
            log_.line(ch.name, "BRIDGE RX", ev.bytes);
            ch.out.push_back({"Z" + status + std::string(1, kEot), Clock::now(), {}, "BRIDGE TX"});
            break;
        }
        case FramerEvent::Telegram: handleTelegram(ch, ev.bytes); break;
        }
    }
}

std::unique_ptr<LineEndpoint> Server::lineEndpoint(LineEndpoint::Kind kind, const TelegramChannel& ch) {
    LineEndpoint::Setup setup{&terminals_, ch.line, ch.nodes, &faults_, &requests_, &config_.unsolicited,
                              kind == LineEndpoint::Bridge && config_.bareLineGapMs > 0, config_.seed};
    return std::make_unique<LineEndpoint>(kind, std::move(setup));
}

void Server::feedLines(TelegramChannel& ch, std::string_view bytes) {
    LineEndpoint::Output out = ch.lines->receive(bytes);
    for (const auto& [what, raw] : out.log) log_.line(ch.name, what, raw);
    if (out.drop && ch.kind == Channel::Client) {
        closeChannel(ch, "by fault");
        return;
    }
    auto notBefore = Clock::now() + byteTime() * static_cast<long>(bytes.size()) + std::chrono::milliseconds(config_.replyDelayMs);
    if (!out.reply.empty()) ch.out.push_back({out.reply, notBefore, {}, {}});
    // Only the quiet between them tells these lines apart.
    for (std::size_t i = 0; i < out.bareLines.size(); ++i)
        ch.out.push_back({out.bareLines[i], notBefore, i ? std::chrono::milliseconds(config_.bareLineGapMs) : Clock::duration{},
                          "LINE TX bare line"});
}

void Server::handleTelegram(TelegramChannel& ch, const std::string& frame) {
    auto now = Clock::now();
    ParsedRequest parsed = parseRequest(frame);
    if (parsed.error != RequestError::None) {
        log_.line(ch.name, "REFUSED " + parsed.reason, frame);
        return;
    }
    const Request& req = parsed.request;
    Terminal* term = terminalFor(ch, req.destination);
    if (!term) {
        log_.line(ch.name, "IGNORED node=" + twoDigits(req.destination) + " not served here", frame);
        return;
    }
    int number = ++requests_;
    std::string id = "#" + std::to_string(number) + " node=" + twoDigits(req.destination) + " seq=" + twoDigits(req.sequence);
    std::string rx = "RX " + id + " \"" + escapeBytes(req.text) + "\"";
    if (req.data) rx += " data=" + std::to_string(req.data->size());
    log_.line(ch.name, rx, frame);

    auto faults = faults_.faultsFor(number, req.text);
    auto has = [&](Fault f) { return std::find(faults.begin(), faults.end(), f) != faults.end(); };
    if (has(Fault::Drop)) {
        log_.line(ch.name, "DROP " + id);
        // Punches recorded while the call is down.
        addRecordsAfter(ch, number, req.text, *term);
        dropCall(ch, now);
        return;
    }
    if (has(Fault::NoReply)) {
        // The request is taken as lost: the terminal does not act on it.
        log_.line(ch.name, "SKIP " + id + " no-reply");
        return;
    }

    Answer answer;
    if (has(Fault::Warning))
        answer = {Answer::Warning, std::nullopt, "fault"};
    else if (has(Fault::Error))
        answer = {Answer::Error, std::nullopt, "fault"};
    else
        answer = answerRequest(*term, req);

    if (has(Fault::ControlText)) answer = {Answer::Warning, std::nullopt, "fault"};

    ReplyParts parts;
    parts.destination = has(Fault::WrongDestination) ? (req.destination ? req.destination : 99) : 0;
    parts.source = req.destination;
    parts.sequence = req.sequence;
    parts.text = replyText(answer.kind);
    parts.data = answer.data;
    if (has(Fault::ShortData)) parts.data = Bytes{};
    if (has(Fault::ControlText)) parts.rawData = kForgedText;
    parts.corruptChecksum = has(Fault::BadChecksum);
    std::string reply = (has(Fault::Noise) ? kNoise : std::string()) + buildReply(parts);

    auto notBefore = std::max(now, ch.requestStart + byteTime() * static_cast<long>(frame.size())) +
                     std::chrono::milliseconds(config_.replyDelayMs);
    std::string what = "TX " + id + (answer.kind == Answer::Ok ? " ok" : answer.kind == Answer::Warning ? " W" : " E");
    if (!answer.note.empty()) what += " (" + answer.note + ")";
    for (Fault f : faults) what += std::string(" fault=") + faultName(f);

    if (has(Fault::StrayReply)) queueStrayReply(ch, req, parts, notBefore, id);
    if (has(Fault::LateReply)) {
        ReplyParts stale = parts;
        stale.sequence = req.sequence > 1 ? req.sequence - 1 : 99;
        ch.out.push_back({buildReply(stale), notBefore, {}, "TX " + id + " late reply seq=" + twoDigits(stale.sequence)});
        ch.out.push_back({reply, notBefore, std::chrono::milliseconds(config_.lateGapMs), what});
    } else {
        ch.out.push_back({reply, notBefore, {}, what});
    }
    if (ch.out.size() > kMaxQueued) {
        ch.out.pop_front();
        log_.line(ch.name, "DISCARDED oldest reply: nobody reads this line");
    }

    if (req.text == "GL,UP" && answer.kind == Answer::Ok && !has(Fault::WrongDestination)) startXmodem(ch);

    addRecordsAfter(ch, number, req.text, *term);
}

void Server::addRecordsAfter(TelegramChannel& ch, int number, const std::string& text, Terminal& term) {
    if (int added = faults_.takeRecordsToAdd(number, text)) {
        addFreshRecords(term, added, config_.seed + static_cast<std::uint32_t>(number));
        log_.line(ch.name, "ADDED " + std::to_string(added) + " records to node=" + twoDigits(term.node));
    }
}

void Server::dropCall(TelegramChannel& ch, Clock::time_point now) {
    if (ch.kind == Channel::Client) {
        closeChannel(ch, "by fault");
    } else if (ch.modem) {
        HayesModem::Output out;
        ch.modem->dropCarrier(now, out);
        if (!out.toLine.empty()) ch.out.push_back({out.toLine, now, {}, "MODEM NO CARRIER"});
    }
}

void Server::queueStrayReply(TelegramChannel& ch, const Request& req, const ReplyParts& parts, Clock::time_point notBefore,
                             const std::string& id) {
    // Another terminal on this endpoint answers the same request late,
    // with the same sequence number.
    Terminal* other = nullptr;
    for (int node = 1; node <= 99 && !other; ++node)
        if (node != req.destination) other = terminalFor(ch, node);
    if (!other) return;
    Answer strayAnswer = answerRequest(*other, req);
    ReplyParts stray = parts;
    stray.source = other->node;
    stray.text = replyText(strayAnswer.kind);
    stray.data = strayAnswer.data;
    ch.out.push_back({buildReply(stray), notBefore, {}, "TX " + id + " stray reply from node=" + twoDigits(other->node)});
}

}  // namespace vornsim
