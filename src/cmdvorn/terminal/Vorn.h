#pragma once
// One terminal of the installation: its identity and settings from the
// parameter file, the link it borrows from the terminal manager, and the
// telegram exchange with its status. Each terminal owns its two telegram
// buffers, so an exchange allocates nothing.
#include "BadgeLayout.h"
#include "BreakDialog.h"
#include "RunError.h"
#include "Telegram.h"
#include "VornSettings.h"
#include "zCommDev.h"
#include "zLogger.h"

#include <cstdint>
#include <functional>

class Vorn {
public:
    explicit Vorn(VornSettings settings);
    virtual ~Vorn() = default;
    Vorn(const Vorn&) = delete;
    Vorn& operator=(const Vorn&) = delete;
    // A routed terminal writes and reads through its router's exchange.
    friend class RoutedVorn;

    const VornSettings& settings() const { return settings_; }
    const zString& name() const { return settings_.name; }
    const zString& description() const { return settings_.description; }
    int nodeNumber() const { return settings_.nodeNumber; }
    int terminalNumber() const { return settings_.terminalNumber; }
    ConnectionKind connectionKind() const { return settings_.kind; }
    TerminalModel model() const { return settings_.model; }
    const zString& password() const { return settings_.password; }
    long lineSpeed() const { return settings_.lineSpeed; }
    // The VORN-L takes a new node number and speed from its parameter
    // dialog for the rest of the run; the parameter file stays as it is.
    void setNodeNumber(int node) { settings_.nodeNumber = node; }
    void setLineSpeed(long speed) { settings_.lineSpeed = speed; }
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

    // Where a dial shows its progress and notices the operator's stop; only
    // a terminal behind a modem dials.
    virtual void setDialDialog(BREAKDLG_C* /*dialog*/) {}

    zLogger* logger() const { return log_; }
    void setLogger(zLogger* log) { log_ = log; }

    // Result of the last exchange.
    RunError statusCode() const { return status_; }
    void clearStatus() { status_ = RunError::None; message_[0] = '\0'; }
    // "Commando eseguito." after success, else the last error message.
    const char* lastResultText() const;
    // The terminal replied, even if with a warning, an error or garbage.
    bool isAnswering() const;

    // The exchange: build, write, read, check, with MAX_RETRY retries. A
    // quiet call switches the log off until the next call that is not quiet.
    virtual bool sendCommand(TelegramCommand& command, bool quiet = false);
    // A delete clears whatever the terminal holds when it arrives. When the
    // exchange needs a new call to the terminal before it can go out again,
    // `stillCovered` must first confirm that what was saved still covers
    // everything there; otherwise nothing is sent (status Modem).
    virtual bool sendDelete(TelegramCommand& command, const std::function<bool()>& stillCovered);
    // Writes the telegram and reads nothing.
    bool sendOnly(TelegramCommand& command);
    // "ON" and "OF" around long downloads ("OF" only while connected).
    bool sendOn();
    bool sendOff();
    virtual std::string_view replyText() const { return frame_.replyText(); }
    virtual std::string_view replyData() const { return frame_.replyData(); }
    // The plain-text protocol of the newer models: a command text written
    // as it is, and its answer read one message at a time.
    bool writeText(const char* text) { return writeTelegram(text); }
    bool readText(char* buffer, std::size_t size) { return readTelegram(buffer, size); }
    // A pause between reads of the plain-text protocol; the base only waits.
    virtual void idle(int ms);
    // "@DIR": hands each line of the stored files' listing to `take`, with
    // the pauses the terminal needs, until the listing's end of transfer, a
    // read that fails, or more lines or time than a listing takes (see
    // StoredFiles.h). False when "@DIR" could not be written (the status
    // says why); `ended` tells whether the end of transfer arrived.
    bool listStoredFiles(const std::function<void(const char* line)>& take, bool& ended);
    // The terminal's own parameter of that number ("@CFG"), where the
    // terminal takes such queries; 0 elsewhere.
    virtual std::int16_t parameter(int) { return 0; }
    // Where company and employee lie in the badge code the terminal prints:
    // the defaults unless the terminal definition gives its own.
    virtual const BadgeLayout& badgeLayout() const;
    // The badge start and length the terminal itself works with (its
    // parameters 7 and 8) as it answered them; false for a terminal that
    // is not asked.
    virtual bool badgeFormat(zString&, zString&) { return false; }

    virtual bool connect();
    virtual void disconnect();
    virtual bool isConnected();
    virtual bool hasInput();
    virtual void setLinkTimeout(int ms);

    // Read time-out of one reply: COM_TIME_OUT seconds below 100, tenths of
    // a second above 100 (101 = 100 ms).
    int readTimeoutMs() const;
    int writeCount() const { return writeCounter_; }

    virtual bool isRouted() const { return false; }

    // The terminal's block of the terminal list in the log.
    virtual void showConnection();

protected:
    // False (status 130, logged) when the request does not fit its buffer.
    virtual bool buildTelegram(const TelegramCommand& command);
    virtual bool writeTelegram(const char* text);
    virtual bool readTelegram(char* buffer, std::size_t size);
    // One read of a reply from the link; the base takes the link's own.
    virtual bool readFromLink(zCommDev& link, char* buffer, std::size_t size, std::size_t& count);
    virtual bool parseReply();
    virtual bool checkReply(const TelegramCommand& command);
    virtual void decodeReplyData(TelegramCommand& record);

    void setMessage(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void setQuiet(bool quiet);

    void header(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void showIdentity();
    void showLinkLine();

    VornSettings settings_;
    zString label_;
    zCommDev* link_ = nullptr;
    zLogger* log_ = nullptr;
    RunError status_ = RunError::None;
    char message_[257] = {};
    TelegramFrame frame_;
    int writeCounter_ = 0;
    int timeoutCounter_ = 0;
};
