#pragma once
// The binding to the concentrator's driver library: one per run, created for
// the first concentrator terminal and shared by all later ones, whatever port
// they name. The driver owns the serial port once the binding exists. The
// library is looked up beside the executable first, then on the library
// path; a missing library raises FndException.
#include <memory>

class zSerialPort;

class Rlx40 {
public:
    // InitR40 results the binding gives a meaning to.
    enum InitResult { PortMissing = 0, PortBusy = -2 };
    // SendMsg and PollTerm results.
    enum CallResult { Sent = 0, Timeout = -1, NotInitialised = -3 };
    enum PollResult { Message = 2, NothingToSend = 1, NoAnswer = 0 };
    static constexpr int kSpeedCode = 2;
    static constexpr int kPollAreaSize = 129;

    // The run's binding, created for `port` on first use; a creation that
    // cannot load the driver raises "RLX40C.DLL missing" and leaves the
    // binding without a driver.
    static std::shared_ptr<Rlx40> instance(zSerialPort* port);
    // Ends the binding when only the run holds it: ResetR40, driver unloaded.
    static void releaseIfUnused();

    ~Rlx40();
    Rlx40(const Rlx40&) = delete;
    Rlx40& operator=(const Rlx40&) = delete;

    // InitR40 once for the whole network. Raises "RLX40 not initialized.
    // RLX40C.DLL missing" when the driver still cannot be loaded.
    bool initialise();
    bool initialised() const { return initialised_; }
    // The last failed InitR40 result (0 or negative).
    int lastError() const { return lastError_; }
    int portNumber() const { return portNumber_; }

    // Both raise "RLX40 not initialized" without a driver.
    int sendMessage(int node, const char* text);
    int pollTerminal(int node, char* area);

private:
    struct Driver;
    explicit Rlx40(zSerialPort* port);
    bool load();
    void requireDriver() const;

    int portNumber_ = 0;
    bool initialised_ = false;
    int lastError_ = 0;
    std::unique_ptr<Driver> driver_;
    zSerialPort* port_ = nullptr;
};
