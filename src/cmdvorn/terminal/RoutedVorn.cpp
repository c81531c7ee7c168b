#include "RoutedVorn.h"

void RoutedVorn::showConnection() {
    showIdentity();
    header("     Comm. port: %s, collegato via Router %s", connectionKindName(connectionKind()),
           router_ ? router_->name().c_str() : "Unknown");
}

// The router is bound before any exchange; a routed terminal without one
// is refused by the configuration.
bool RoutedVorn::connect() { return router_->connect(); }

void RoutedVorn::disconnect() { router_->disconnect(); }

bool RoutedVorn::isConnected() { return router_->isConnected(); }

bool RoutedVorn::hasInput() { return router_->hasInput(); }

void RoutedVorn::setLinkTimeout(int ms) { router_->setLinkTimeout(ms); }

bool RoutedVorn::writeTelegram(const char* text) {
    if (!router_->writeTelegram(text)) {
        status_ = router_->status_;
        setMessage("%s", router_->lastResultText());
        return false;
    }
    ++writeCounter_;
    return true;
}

bool RoutedVorn::readTelegram(char* buffer, std::size_t size) {
    status_ = RunError::None;
    if (router_->readTelegram(buffer, size)) return true;
    // The router's failure is this terminal's own.
    status_ = router_->status_;
    setMessage("%s", router_->lastResultText());
    router_->clearStatus();
    return false;
}
