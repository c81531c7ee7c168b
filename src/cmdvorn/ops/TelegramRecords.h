#pragma once
// The records of one object of a telegram terminal: "RE" punches, "RA"
// recoverable punches (VORN-L) or "JO" job records (VORN2C). Counted with
// "<object>,NR", fetched by index with "<object>,GE,<index>", deleted with
// "<object>,DE"; downloads of more than 50 are framed by "ON" and "OF".
#include "PunchSource.h"
#include "RunContext.h"
#include "Telegram.h"

#include <cstdint>

class Vorn;

class TelegramRecords : public PunchSource {
public:
    TelegramRecords(CMDARG_C& job, const char* object);

    int count() override;
    // Whether the last count's exchange succeeded.
    bool counted() const { return counted_; }
    void begin(int total) override;
    void end(int total) override;
    Next next() override;
    Delivery deliver(RecordSink& sink) override;
    std::uint64_t digest() const override;
    // Punches: the records that arrived meanwhile are fetched first, and
    // the delete goes only when the fresh count equals what was saved.
    bool clear(int total, SavedRecords& saved) override;
    // The delete, once what was saved is on the disk. False when the files
    // could not be secured, or when a new call to the terminal found
    // records that `saved` does not cover; a delete the terminal does not
    // take leaves its records for the next run and is no failure.
    bool remove(int saved, SavedRecords& download);

private:
    bool catchUpAndClear(SavedRecords& download);
    // A fresh count, -1 when it failed.
    int recount();
    // "... RIMASTE sul terminale" of this object.
    const char* leftMessage() const;

    CMDARG_C& job_;
    Vorn& terminal_;
    const char* object_;
    const bool jobs_;
    const bool extended_;
    bool counted_ = false;
    int nextIndex_ = 0;
    int limit_ = 0;
    TelegramCommand command_;
    char commandText_[24] = {};
    std::uint8_t record_[61] = {};
};
