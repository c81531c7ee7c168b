#include "Rlx40.h"

#include "FndException.h"
#include "zSerialPort.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr char kLibraryName[] = "libRLX40C.so";
constexpr int kInitArgument = 254;
// The driver knows ports by number; a device path goes under a number no
// COMn name gives, with the path in the driver's environment variable.
constexpr int kDevicePathPort = 0;

std::shared_ptr<Rlx40>& current() {
    static std::shared_ptr<Rlx40> binding;
    return binding;
}

std::string besideExecutable() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1) + kLibraryName;
}

}  // namespace

struct Rlx40::Driver {
    using InitR40 = int (*)(int, int, int, int);
    using SendMsg = int (*)(int, const char*);
    using PollTerm = int (*)(int, char*);
    using Plain = int (*)();

    void* handle = nullptr;
    std::string path;
    InitR40 initR40 = nullptr;
    Plain chgSpeedR40 = nullptr, pollAll = nullptr, retryNum = nullptr;
    PollTerm pollTerm = nullptr;
    SendMsg sendMsg = nullptr;
    Plain resetR40 = nullptr, dtrOn = nullptr, dtrOff = nullptr;

    ~Driver() {
        if (handle) dlclose(handle);
    }

    template <typename F>
    void find(F& entry, const char* name) {
        entry = reinterpret_cast<F>(dlsym(handle, name));
    }
};

std::shared_ptr<Rlx40> Rlx40::instance(zSerialPort* port) {
    if (current()) return current();
    current().reset(new Rlx40(port));
    if (port && port->isOpen()) port->close();
    if (!current()->load()) throw FndException("RLX40C.DLL missing");
    return current();
}

void Rlx40::releaseIfUnused() {
    if (current() && current().use_count() == 1) current().reset();
}

Rlx40::Rlx40(zSerialPort* port) : port_(port) {
    const zString name = port ? port->name() : zString();
    portNumber_ = zSerialPort::comNumber(name);
    if (name.length() > 0 && name[0] == '/') {
        portNumber_ = kDevicePathPort;
        setenv(("RLX40C_COM" + std::to_string(portNumber_)).c_str(), name.c_str(), 1);
    }
}

Rlx40::~Rlx40() {
    // Without a driver there is nothing to reset.
    if (!driver_) return;
    initialised_ = false;
    if (driver_->resetR40) driver_->resetR40();
}

bool Rlx40::load() {
    if (driver_) return true;
    auto driver = std::make_unique<Driver>();
    std::string beside = besideExecutable();
    if (!beside.empty()) driver->handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (driver->handle) {
        driver->path = beside;
    } else {
        driver->handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
        driver->path = kLibraryName;
    }
    if (!driver->handle) return false;
    driver->find(driver->initR40, "InitR40");
    driver->find(driver->chgSpeedR40, "ChgSpeedR40");
    driver->find(driver->pollTerm, "PollTerm");
    driver->find(driver->pollAll, "PollAll");
    driver->find(driver->sendMsg, "SendMsg");
    driver->find(driver->retryNum, "RetryNum");
    driver->find(driver->resetR40, "ResetR40");
    driver->find(driver->dtrOn, "DTRon");
    driver->find(driver->dtrOff, "DTRoff");
    driver_ = std::move(driver);
    return true;
}

void Rlx40::requireDriver() const {
    if (!driver_) throw FndException("RLX40 not initialized");
}

bool Rlx40::initialise() {
    if (!load()) throw FndException("RLX40 not initialized. RLX40C.DLL missing");
    lastError_ = 0;
    if (initialised_) return true;
    // A library without the entry point cannot initialise anything.
    int result = driver_->initR40 ? driver_->initR40(portNumber_, kSpeedCode, kInitArgument, 0) : PortMissing;
    initialised_ = result >= 1;
    if (!initialised_) lastError_ = result;
    return initialised_;
}

int Rlx40::sendMessage(int node, const char* text) {
    requireDriver();
    return driver_->sendMsg ? driver_->sendMsg(node, text) : NotInitialised;
}

int Rlx40::pollTerminal(int node, char* area) {
    requireDriver();
    return driver_->pollTerm ? driver_->pollTerm(node, area) : NotInitialised;
}
