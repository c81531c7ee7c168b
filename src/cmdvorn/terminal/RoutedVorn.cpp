#include "RoutedVorn.h"

void RoutedVorn::showConnection() {
    showIdentity();
    header("     Comm. port: %s, collegato via Router %s", connectionKindName(connectionKind()),
           router_ ? router_->name().c_str() : "Unknown");
    if (router_) router_->reportHook1();
    reportHook2();
}
