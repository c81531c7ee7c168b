#pragma once
// One terminal of the installation: its identity and settings from the
// parameter file, the link it borrows from the terminal manager, and the
// status of its last exchange. The exchange itself builds on this class.
#include "VornSettings.h"
#include "zCommDev.h"
#include "zLogger.h"

class Vorn {
public:
    explicit Vorn(VornSettings settings);
    virtual ~Vorn() = default;
    Vorn(const Vorn&) = delete;
    Vorn& operator=(const Vorn&) = delete;

    const VornSettings& settings() const { return settings_; }
    const zString& name() const { return settings_.name; }
    const zString& description() const { return settings_.description; }
    int nodeNumber() const { return settings_.nodeNumber; }
    int terminalNumber() const { return settings_.terminalNumber; }
    ConnectionKind connectionKind() const { return settings_.kind; }
    int modelCode() const { return settings_.modelCode; }
    const zString& password() const { return settings_.password; }
    long lineSpeed() const { return settings_.lineSpeed; }
    int comTimeout() const { return settings_.comTimeout; }
    int maxRetry() const { return settings_.maxRetry; }
    const zString& transactionFile() const { return settings_.transactionFile; }
    bool transactionAppend() const { return settings_.transactionAppend; }
    const zString& employeeFile() const { return settings_.employeeFile; }
    int employeeMode() const { return settings_.employeeMode; }
    const zString& fingerprintFile() const { return settings_.fingerprintFile; }
    bool fingerprint() const { return settings_.fingerprint; }

    // "[Term %3.3d]", set by the terminal manager when it takes the terminal.
    const zString& label() const { return label_; }
    void setLabel(zString label) { label_ = std::move(label); }

    // The shared link; none for a routed terminal.
    virtual zCommDev* getLink() const { return link_; }
    void setLink(zCommDev* link) { link_ = link; }

    zLogger* logger() const { return log_; }
    void setLogger(zLogger* log) { log_ = log; }

    // Result of the last exchange (0 success, 126-137 failures).
    int statusCode() const { return status_; }
    const zString& lastResultText() const { return message_; }

    virtual bool isRouted() const { return false; }

    // The terminal's block of the terminal list in the log.
    virtual void showConnection();
    // Extra report lines of a terminal class; the base prints nothing.
    virtual void reportHook1() {}
    virtual void reportHook2() {}

protected:
    void header(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void showIdentity();
    void showLinkLine();

    VornSettings settings_;
    zString label_;
    zCommDev* link_ = nullptr;
    zLogger* log_ = nullptr;
    int status_ = 0;
    zString message_;
};
