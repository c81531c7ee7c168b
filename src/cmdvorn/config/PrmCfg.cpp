#include "PrmCfg.h"

#include "FndException.h"
#include "RoutedVorn.h"
#include "TerminalSection.h"
#include "VornMgr.h"
#include "zSerialPort.h"

#include <algorithm>

namespace {

constexpr char kTerminalPrefix[] = "[Terminal ";
constexpr int kTerminalPrefixLength = 10;
constexpr int kReadChunk = 4096;

bool startsNoCase(const zString& text, std::string_view prefix) {
    return text.length() >= static_cast<int>(prefix.size()) &&
           text.left(static_cast<int>(prefix.size())).equalsNoCase(prefix);
}

}  // namespace

PrmCfg::PrmCfg(zFile& file, zLogger& log) : file_(file), log_(log) {}

PrmCfg::~PrmCfg() = default;

zString PrmCfg::cleanLine(std::string_view raw) {
    std::size_t end = raw.size();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != ';') continue;
        bool quoted = i > 0 && raw[i - 1] == '\'' && i + 1 < raw.size() && raw[i + 1] == '\'';
        if (!quoted) {
            end = i;
            break;
        }
    }
    zString line(raw.substr(0, end));
    line.trim();
    return line;
}

bool PrmCfg::readFile() {
    lines_.clear();
    if (file_.isOpen() ? !file_.seekStart() : !file_.open()) {
        log_.log("Error open %s: %s", file_.path().c_str(), file_.errorText().c_str());
        return false;
    }
    // A line ends at a line feed or a zero byte.
    std::string pending;
    char chunk[kReadChunk];
    std::size_t count = 0;
    while (file_.read(chunk, sizeof chunk, count)) {
        for (std::size_t i = 0; i < count; ++i) {
            if (chunk[i] == '\n' || chunk[i] == '\0') {
                lines_.push_back(cleanLine(pending));
                pending.clear();
            } else {
                pending.push_back(chunk[i]);
            }
        }
    }
    if (file_.lastError() != 0) {
        log_.log("Error reading File %s: %s", file_.path().c_str(), file_.errorText().c_str());
        file_.close();
        return false;
    }
    if (!pending.empty()) lines_.push_back(cleanLine(pending));
    file_.close();
    return true;
}

int PrmCfg::sectionLine(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].equalsNoCase(section)) return static_cast<int>(i);
    return -1;
}

bool PrmCfg::hasSection(std::string_view section) const { return sectionLine(section) >= 0; }

bool PrmCfg::getValue(std::string_view section, std::string_view key, zString& value) const {
    int start = sectionLine(section);
    if (start < 0 || key.empty()) return false;
    for (std::size_t i = static_cast<std::size_t>(start) + 1; i < lines_.size(); ++i) {
        const zString& line = lines_[i];
        if (line[0] == '[') break;
        if (!startsNoCase(line, key)) continue;
        int eq = line.find('=');
        if (eq < 0) continue;
        value = line.mid(eq + 1);
        value.trim();
        return true;
    }
    return false;
}

int PrmCfg::irqFor(const zString& portName) const {
    zString value;
    if (!getValue(kGlobal, std::string_view(portName + "Irq"), value)) return zSerialPort::defaultIrq(portName);
    int irq = value.toInt();
    return irq >= 1 && irq <= zSerialPort::kMaxIrq ? irq : 0;
}

void PrmCfg::readGlobal(RunSettings& settings) {
    zString value;
    log_.setLogLevel(getValue(kGlobal, "LOG_LEVEL", value) ? value.toInt() : 1);
    if (getValue(kGlobal, "DATA_OUT", value)) settings.dataOut = value;
    if (getValue(kGlobal, "RESTART_JOURNAL", value)) settings.restartJournal = value.trim() != "0";
    settings.parallelLinks = getValue(kGlobal, "PARALLEL_LINKS", value) && value.trim() == "1";
    settings.maxParallelLinks = getValue(kGlobal, "MAX_PARALLEL_LINKS", value) ? std::max(0, value.toInt()) : 0;
}

bool PrmCfg::readFileSetting(const char* section, FileSetting& setting, bool withMode, const char* defaultUsed) const {
    zString value;
    if (!getValue(section, "FILE_NAME", value)) return false;
    setting.fileName = value;
    if (value.isEmpty() && defaultUsed)
        log_.log(zLogger::Warning, "Conf. Warning: %s \"FILE_NAME\" vuoto, usato %s", section, defaultUsed);
    if (withMode && getValue(section, "FILE_MODE", value)) setting.startAfresh = value[0] == 'N' || value[0] == 'n';
    return true;
}

void PrmCfg::readFileSections(RunSettings& s) {
    readFileSetting("[Anagrafiche]", s.employees, false, "EMP_FILE_NAME del terminale o emp.dat");
    readFileSetting("[Timbrature]", s.punches, true, "TMB_FILE_NAME del terminale o tmb.dat");
    zString backup;
    if (getValue("[Timbrature]", "BACKUP", backup)) s.punches.backup = backup;
    readFileSetting("[Accessi]", s.access, true);
    readFileSetting("[Mensa]", s.canteen, true);
    readFileSetting("[Commesse]", s.jobs, true);
    readFileSetting("[Giustificativi]", s.causes, false);
    if (!readFileSetting("[Allarmi]", s.alarms, false)) readFileSetting("[Alarmi]", s.alarms, false);
    readFileSetting("[Fingerprint]", s.fingerprints, false);
}

void PrmCfg::bindRouters(VornMgr& manager) {
    for (auto& [terminal, header] : routed_) {
        zString value;
        Vorn* router = nullptr;
        zString missing;
        if (getValue(header, "ROUTER_NODE", value)) {
            int node = value.toInt() & 0xFF;
            for (int i = 0; i < manager.terminalCount() && !router; ++i) {
                Vorn* candidate = manager.terminalAt(i);
                if (candidate != terminal && candidate->nodeNumber() == node) router = candidate;
            }
            missing = zString::format("%s (%s) Errore fatale: Manca Router (node %d)", terminal->label().c_str(),
                                      terminal->name().c_str(), node);
        } else if (getValue(header, "ROUTER", value)) {
            int number = static_cast<std::int16_t>(value.toInt());
            for (int i = 0; i < manager.terminalCount() && !router; ++i) {
                Vorn* candidate = manager.terminalAt(i);
                if (candidate != terminal && candidate->terminalNumber() == number) router = candidate;
            }
            missing = zString::format("%s (%s) Errore fatale: Manca Router (nr. %d)", terminal->label().c_str(),
                                      terminal->name().c_str(), number);
        }
        terminal->setRouter(router);
        if (!router) {
            log_.log("%s", missing.c_str());
            throw FndException(missing);
        }
    }
    // Routers that route through each other reach no link at all: such a
    // chain has no router that can carry the telegrams.
    for (auto& [terminal, header] : routed_) {
        Vorn* hop = terminal;
        int steps = 0;
        while (hop && hop->isRouted() && steps++ <= manager.terminalCount()) hop = static_cast<RoutedVorn*>(hop)->router();
        if (hop && !hop->isRouted()) continue;
        zString text = zString::format("%s (%s) Errore fatale: Manca Router (node %d)", terminal->label().c_str(),
                                       terminal->name().c_str(), terminal->router()->nodeNumber());
        log_.log("%s", text.c_str());
        throw FndException(text);
    }
}

bool PrmCfg::load(VornMgr& manager, RunSettings& settings) {
    manager.clear();
    settings = RunSettings();
    routed_.clear();
    if (!readFile()) return false;
    readGlobal(settings);
    readFileSections(settings);

    std::vector<zString> headers;
    for (const zString& line : lines_)
        if (startsNoCase(line, std::string_view(kTerminalPrefix, kTerminalPrefixLength))) headers.push_back(line);

    for (const zString& header : headers) {
        std::unique_ptr<Vorn> terminal = TerminalSection(*this, log_, manager, settings, header).parse();
        if (!terminal) continue;
        auto* routed = terminal->isRouted() ? static_cast<RoutedVorn*>(terminal.get()) : nullptr;
        if (manager.addTerminal(std::move(terminal)) && routed) routed_.emplace_back(routed, header);
    }
    bindRouters(manager);

    if (headers.empty()) {
        log_.log("0 terminali definiti!!");
        return false;
    }
    manager.checkDuplicates();
    manager.showTerminals();
    return true;
}
