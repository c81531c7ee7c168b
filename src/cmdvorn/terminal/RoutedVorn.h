#pragma once
// A terminal reached through another terminal that relays its telegrams.
// The router is bound after all terminals are loaded; it belongs to the same
// terminal manager and is not owned.
#include "Vorn.h"

class RoutedVorn : public Vorn {
public:
    explicit RoutedVorn(VornSettings settings) : Vorn(std::move(settings)) {}

    Vorn* router() const { return router_; }
    void setRouter(Vorn* router) { router_ = router; }

    zCommDev* getLink() const override { return router_ ? router_->getLink() : nullptr; }
    bool isRouted() const override { return true; }
    void showConnection() override;

    bool connect() override;
    void disconnect() override;
    bool isConnected() override;
    bool hasInput() override;
    void setLinkTimeout(int ms) override;

protected:
    bool writeTelegram(const char* text) override;
    bool readTelegram(char* buffer, std::size_t size) override;

private:
    Vorn* router_ = nullptr;
};
