#include "zModem.h"

#include "zSerialPort.h"

zModem::zModem(zSerialPort& port, zLogger& log) : port_(&port), log_(&log) { name_ = keyFor(port.name(), init_); }

zString zModem::keyFor(const zString& portName, const zString& initString) { return portName + initString; }

void zModem::setStrings(const zString& init, const zString& reset) {
    init_ = init;
    reset_ = reset;
    name_ = keyFor(port_->name(), init_);
}

void zModem::getStrings(zString& init, zString& reset) const {
    init = init_;
    reset = reset_;
}
