#include "VornModem.h"

VornModem::VornModem(VornSettings settings, bool external) : Vorn(std::move(settings)), external_(external) {
    settings_.kind = external ? ConnectionKind::ModemExt : ConnectionKind::Modem;
}

void VornModem::showConnection() {
    showIdentity();
    showLinkLine();
    if (external_) header("     Modem: Esterno");
    header("        Numero tel.: %s", dial_.phoneNumber.c_str());
    header("        Num squilli: %d", dial_.rings);
    header("        wait_to_connect %d, pause %d", dial_.waitConnect, dial_.pause);
    reportHook1();
    reportHook2();
}
