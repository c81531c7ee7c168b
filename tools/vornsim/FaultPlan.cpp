#include "FaultPlan.h"

#include <algorithm>

namespace vornsim {

const char* faultName(Fault f) {
    switch (f) {
    case Fault::NoReply: return "no-reply";
    case Fault::BadChecksum: return "bad-crc";
    case Fault::Noise: return "noise";
    case Fault::WrongDestination: return "wrong-dest";
    case Fault::Warning: return "warn";
    case Fault::Error: return "error";
    case Fault::LateReply: return "late";
    case Fault::Drop: return "drop";
    case Fault::StrayReply: return "stray";
    case Fault::ShortData: return "short-data";
    case Fault::ControlText: return "control-text";
    case Fault::GarbageLine: return "garbage-line";
    case Fault::EndlessDump: return "endless-dump";
    }
    return "?";
}

namespace {
bool allDigits(const std::string& s) {
    return !s.empty() && s.size() < 10 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}
}  // namespace

bool FaultSelector::parse(const std::string& text, FaultSelector& out) {
    out = FaultSelector();
    if (text.empty()) return false;
    if (allDigits(text)) {
        out.number_ = std::stoi(text);
        return out.number_ > 0;
    }
    out.text_ = text;
    if (text.back() == '*') {
        out.prefix_ = true;
        out.text_.pop_back();
    }
    return true;
}

bool FaultSelector::matches(int requestNumber, const std::string& command) const {
    if (number_) return requestNumber == number_;
    if (prefix_) return command.compare(0, text_.size(), text_) == 0;
    return command == text_;
}

bool FaultPlan::add(Fault fault, const std::string& selector) {
    FaultSelector s;
    if (!FaultSelector::parse(selector, s)) return false;
    faults_.emplace_back(fault, s);
    return true;
}

bool FaultPlan::addRecordsAfter(const std::string& entry) {
    auto at = entry.find('@');
    std::string count = entry.substr(0, at);
    if (!allDigits(count)) return false;
    addCount_ = std::stoi(count);
    return FaultSelector::parse(at == std::string::npos ? "RE,NR" : entry.substr(at + 1), addSelector_);
}

std::vector<Fault> FaultPlan::faultsFor(int requestNumber, const std::string& command) const {
    std::vector<Fault> out;
    for (const auto& [fault, selector] : faults_)
        if (selector.matches(requestNumber, command) && std::find(out.begin(), out.end(), fault) == out.end())
            out.push_back(fault);
    return out;
}

int FaultPlan::takeRecordsToAdd(int requestNumber, const std::string& command) {
    if (addDone_ || addCount_ == 0 || !addSelector_.matches(requestNumber, command)) return 0;
    addDone_ = true;
    return addCount_;
}

}  // namespace vornsim
