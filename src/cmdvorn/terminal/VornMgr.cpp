#include "VornMgr.h"

#include "zLanvexLink.h"
#include "zModem.h"

#include <cstdio>

VornMgr::VornMgr(zLogger& log, bool labelByName)
    : log_(log), labelByName_(labelByName), notice_([](const char* caption, const char* text) {
          std::fprintf(stderr, "%s\n%s\n", caption, text);
      }) {}

VornMgr::~VornMgr() { clear(); }

void VornMgr::clear() {
    terminals_.clear();
    modems_.clear();
    links_.clear();
}

Vorn* VornMgr::terminalAt(int index) {
    if (index < 0 || index >= terminalCount()) return nullptr;
    return terminals_[static_cast<std::size_t>(index)].get();
}

Vorn* VornMgr::findByName(const zString& name) {
    for (auto& t : terminals_)
        if (t->name().equalsNoCase(name)) return t.get();
    return nullptr;
}

Vorn* VornMgr::findByNode(int node) {
    for (auto& t : terminals_)
        if (t->nodeNumber() == node) return t.get();
    return nullptr;
}

Vorn* VornMgr::findByTermNr(int terminalNumber) {
    for (auto& t : terminals_)
        if (t->terminalNumber() == terminalNumber) return t.get();
    return nullptr;
}

Vorn* VornMgr::addTerminal(std::unique_ptr<Vorn> terminal) {
    if (!terminal || findByName(terminal->name())) return nullptr;
    prepare(*terminal);
    terminals_.push_back(std::move(terminal));
    return terminals_.back().get();
}

void VornMgr::prepare(Vorn& terminal) {
    terminal.setLabel(labelByName_ ? zString::format("[Term %s]", terminal.name().c_str())
                                   : zString::format("[Term %3.3d]", terminal.terminalNumber()));
    terminal.setLogger(&log_);
}

zCommDev* VornMgr::findLink(const zString& name) {
    for (auto& l : links_)
        if (l->name().equalsNoCase(name) || (!l->secondName().isEmpty() && l->secondName().equalsNoCase(name)))
            return l.get();
    return nullptr;
}

zCommDev* VornMgr::linkAt(int index) {
    if (index < 0 || index >= linkCount()) return nullptr;
    return links_[static_cast<std::size_t>(index)].get();
}

zCommDev* VornMgr::addLink(std::unique_ptr<zCommDev> link) {
    if (!link) return nullptr;
    if (zCommDev* existing = findLink(link->name())) return existing;
    if (!link->secondName().isEmpty())
        if (zCommDev* existing = findLink(link->secondName())) return existing;
    return keepLink(std::move(link));
}

zCommDev* VornMgr::keepLink(std::unique_ptr<zCommDev> link) {
    prepareLink(*link);
    links_.push_back(std::move(link));
    return links_.back().get();
}

void VornMgr::prepareLink(zCommDev& link) {
    link.setTerminator(zCommDev::kEOT);
}

zCommDev* VornMgr::addTcpLink(std::unique_ptr<zTalkingSocket> link) {
    if (!link) return nullptr;
    for (auto& held : links_) {
        auto* tcp = dynamic_cast<zTalkingSocket*>(held.get());
        if (!tcp || tcp->port() != link->port()) continue;
        // An unresolved host has no address: only its own text identifies it.
        bool sameHost = tcp->hostText() == link->hostText() ||
                        (!tcp->addressText().isEmpty() && tcp->addressText() == link->addressText());
        if (!sameHost) continue;
        bool upgrade = dynamic_cast<zLanvexLink*>(link.get()) && !dynamic_cast<zLanvexLink*>(tcp);
        if (!upgrade) return tcp;
        prepareLink(*link);
        for (auto& t : terminals_)
            if (t->getLink() == tcp && !t->isRouted()) t->setLink(link.get());
        held = std::move(link);
        return held.get();
    }
    return keepLink(std::move(link));
}

zModem* VornMgr::addModem(std::unique_ptr<zModem> modem) {
    if (!modem) return nullptr;
    if (zModem* existing = findModem(modem->name())) return existing;
    modem->setBreakDialog(breakDialog_);
    modems_.push_back(std::move(modem));
    return modems_.back().get();
}

void VornMgr::setBreakDialog(BREAKDLG_C* dialog) {
    breakDialog_ = dialog;
    for (auto& m : modems_) m->setBreakDialog(dialog);
}

zModem* VornMgr::findModem(const zString& name) {
    for (auto& m : modems_)
        if (m->name().equalsNoCase(name)) return m.get();
    return nullptr;
}

void VornMgr::showTerminals() {
    if (terminals_.empty()) return;
    log_.log(zLogger::Header, "=== Elenco terminali Vorn ===");
    for (auto& t : terminals_) t->showConnection();
}

bool VornMgr::checkDuplicates() {
    for (auto& a : terminals_) {
        for (auto& b : terminals_) {
            if (a == b) continue;
            zString clash;
            if (a->terminalNumber() == b->terminalNumber()) {
                clash = zString::format("%s e \n%s \nusano lo stesso num. terminale (%d)", a->name().c_str(),
                                        b->name().c_str(), a->terminalNumber());
            } else if (a->connectionKind() != b->connectionKind() || a->getLink() != b->getLink()) {
                if (a->name().equalsNoCase(b->name()))
                    clash = zString::format("%s e \n%s \nusano la stessa chiave", a->name().c_str(), b->name().c_str());
            } else if ((a->connectionKind() == ConnectionKind::Rs485 || a->connectionKind() == ConnectionKind::Rlx40) &&
                       a->nodeNumber() == b->nodeNumber()) {
                clash = zString::format("%s e \n%s \nusano lo stesso nr. nodo (%d)", a->name().c_str(),
                                        b->name().c_str(), a->nodeNumber());
            }
            if (!clash.isEmpty()) {
                log_.log("%s", clash.c_str());
                if (notice_) notice_("Attenzione!", clash.c_str());
                return true;
            }
        }
    }
    return false;
}
