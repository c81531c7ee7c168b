#pragma once
// The sending side of XMODEM in its basic form: 128-byte blocks with an
// 8-bit checksum, started by the receiver's NAK. It borrows a link for one
// transfer; the link's terminator and time-outs are set for single bytes
// meanwhile and given back when the sender goes.
#include "BreakDialog.h"
#include "zCommDev.h"
#include "zFile.h"
#include "zLogger.h"

#include <cstdint>

// How long each wait of a transfer lasts: the product's values unless a
// test asks for shorter ones.
struct XmodemTiming {
    int handshakeMs = 60000;  // for the receiver's first NAK
    int byteTimeoutMs = 1000; // for one byte
    int answerMs = 10000;     // for one block's (or the end's) ACK or NAK: a second per retry
};

class zXmodem {
public:
    static constexpr int kBlockSize = 128;
    static constexpr int kPacketSize = kBlockSize + 4;
    static constexpr int kRetries = 10;
    // The block number is a 16-bit counter; a file needing more blocks
    // cannot be numbered.
    static constexpr long kMaxFileSize = 65535L * kBlockSize;

    static constexpr std::uint8_t SOH = 0x01, EOT = 0x04, ACK = 0x06, NAK = 0x15, CAN = 0x18, BS = 0x08;

    enum class State { Sending = 1, Failed = 2, FileReadError = 3, AnswerTimedOut = 4, CancelledByReceiver = 5 };
    // Why a transfer did not end as sent.
    enum class Failure {
        None,
        FileOpen,          // the file could not be opened
        FileRead,          // the file gave fewer bytes than its size promised
        OperatorCancel,    // the operator stopped it
        NoHandshake,       // no NAK from the receiver in time
        ReceiverRefused,   // two ACK/CAN instead of the first NAK
        NotAcknowledged,   // a block refused (NAK) at every retry
        NoAnswer,          // a block's answer still missing after every retry
        ReceiverCancelled, // two CAN while waiting for a block's answer
        EndNotAcknowledged,  // the end of transmission unanswered at every try
        ReadFailed,        // the link failed to read
        WriteFailed,       // the link failed to write
    };

    using Timing = XmodemTiming;

    // The dialog shows the progress and lets the operator cancel; may be null.
    zXmodem(zCommDev& link, zLogger& log, BREAKDLG_C* progress, Timing timing = {});
    ~zXmodem();
    zXmodem(const zXmodem&) = delete;
    zXmodem& operator=(const zXmodem&) = delete;

    // True when the whole file was sent and acknowledged.
    bool sendFile(const char* path);

    State state() const { return state_; }
    Failure failure() const { return failure_; }
    long bytesSent() const { return bytesSent_; }

private:
    bool transfer();
    bool handshake();
    bool readBlock(int& count);
    bool sendPacket(int count);
    bool waitAnswer(std::uint8_t& answer);
    bool sendBlock(int count);
    bool sendEot();
    void sendCancel();

    // One byte within the byte time-out; false on time-out or a failed link
    // (then failure_ is ReadFailed).
    bool readOne(std::uint8_t& byte);
    // The first byte within ms, one byte time-out after another; false on
    // silence, a failed link or the operator's cancel (failure_ tells).
    bool readWithin(int ms, std::uint8_t& byte);
    bool fail(State state, Failure failure);
    bool operatorCancelled();
    bool cancelByOperator();

    zCommDev& link_;
    zLogger& log_;
    BREAKDLG_C* progress_;
    Timing timing_;
    zFile file_;
    zString fileName_;  // without its directory, for the progress texts
    State state_ = State::Sending;
    Failure failure_ = Failure::None;
    long fileSize_ = 0;
    std::uint16_t blockNumber_ = 0;
    long totalBlocks_ = 0;
    long bytesSent_ = 0;
    std::uint8_t data_[kBlockSize] = {};
    std::uint8_t packet_[kPacketSize] = {};

    char savedTerminator_;
    int savedReadTimeout_;
    int savedWriteTimeout_;
};
