#include "Vorn.h"

#include <cstdarg>

Vorn::Vorn(VornSettings settings) : settings_(std::move(settings)) {}

void Vorn::header(const char* fmt, ...) {
    if (!log_) return;
    va_list args;
    va_start(args, fmt);
    log_->vlog(zLogger::Header, fmt, args);
    va_end(args);
}

void Vorn::showIdentity() {
    const bool nameHasDescription = name().find(std::string_view(description())) != zString::npos;
    header("[%s] %s:", name().c_str(), nameHasDescription ? "" : description().c_str());
    header("     Nodo=%d, Term nr.=%d", nodeNumber(), terminalNumber());
}

void Vorn::showLinkLine() {
    zCommDev* link = getLink();
    header("     Comm. port: %s, collegato a %s %s %s", connectionKindName(connectionKind()),
           link ? link->kindName() : "Nessuna porta", link ? link->name().c_str() : "",
           link ? link->secondName().c_str() : "");
}

void Vorn::showConnection() {
    showIdentity();
    showLinkLine();
}
