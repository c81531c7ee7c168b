#pragma once
// The terminal manager: owns every terminal, link and modem of a run. Terminals on the same port or
// endpoint share one link; terminals on the same port with the same modem
// set-up string share one modem. Destroys terminals, then modems, then links.
#include "BreakDialog.h"
#include "Vorn.h"
#include "zCommDev.h"
#include "zLogger.h"

#include <functional>
#include <memory>
#include <vector>

class zModem;
class zTalkingSocket;

class VornMgr {
public:
    // Receives what a message box would show: a caption and a text.
    using NoticeHandler = std::function<void(const char* caption, const char* text)>;

    // labelByName: labels say "[Term <name>]" instead of the number.
    explicit VornMgr(zLogger& log, bool labelByName = false);
    ~VornMgr();
    VornMgr(const VornMgr&) = delete;
    VornMgr& operator=(const VornMgr&) = delete;

    // Destroys every terminal, modem and link, before a new configuration.
    void clear();

    int terminalCount() const { return static_cast<int>(terminals_.size()); }
    Vorn* terminalAt(int index);
    Vorn* findTerminal(int terminalNumber) { return findByTermNr(terminalNumber); }
    Vorn* findByName(const zString& name);
    Vorn* findByNode(int node);
    Vorn* findByTermNr(int terminalNumber);

    // Takes the terminal unless one of the same name (case ignored) is
    // present; gives it its label and the log. Returns the terminal kept,
    // or nullptr when it was refused (and destroyed).
    Vorn* addTerminal(std::unique_ptr<Vorn> terminal);
    // Gives a terminal its label and the run's log, as added terminals get
    // them; also for terminals the manager does not own (the time service).
    void prepare(Vorn& terminal);
    // Returns the link to use: the one given, or an existing link with the
    // same name or second name (case ignored), in which case the given one
    // is destroyed. A kept link gets the terminator EOT.
    zCommDev* addLink(std::unique_ptr<zCommDev> link);
    // TCP form: an existing TCP link to the same host and port is shared. A
    // bridge link offered for an endpoint that so far has a plain TCP link
    // takes its place, for the terminals already on it too.
    zCommDev* addTcpLink(std::unique_ptr<zTalkingSocket> link);
    zCommDev* findLink(const zString& name);
    int linkCount() const { return static_cast<int>(links_.size()); }
    zCommDev* linkAt(int index);

    zModem* addModem(std::unique_ptr<zModem> modem);
    zModem* findModem(const zString& name);
    int modemCount() const { return static_cast<int>(modems_.size()); }

    // Logs "=== Elenco terminali Vorn ===" and every terminal's report.
    void showTerminals();
    // First clash between two terminals, shown as a notice; false when none.
    bool checkDuplicates();

    zLogger& log() { return log_; }

    // The front end's interrupt dialog, handed to every modem (and to those
    // added later) for the progress and interruption of dials.
    void setBreakDialog(BREAKDLG_C* dialog);
    BREAKDLG_C* breakDialog() const { return breakDialog_; }
    // Where notices go; by default standard error.
    void setNoticeHandler(NoticeHandler handler) { notice_ = std::move(handler); }

private:
    // Links the manager keeps read telegrams up to EOT.
    void prepareLink(zCommDev& link);
    zCommDev* keepLink(std::unique_ptr<zCommDev> link);

    zLogger& log_;
    bool labelByName_;
    BREAKDLG_C* breakDialog_ = nullptr;
    NoticeHandler notice_;
    std::vector<std::unique_ptr<Vorn>> terminals_;
    std::vector<std::unique_ptr<zCommDev>> links_;
    std::vector<std::unique_ptr<zModem>> modems_;
};
