#pragma once
// A terminal's own constant fields TFLD1 .. TFLD8, read from its section:
// TFLD2="Sede 1",LEN=8 gives the field TFLD2 the constant text "Sede 1".
// A layout field of the same name shows the terminal's constant.
#include "RecordLayout.h"

class PRIVATE_FORMAT_C {
public:
    static constexpr int kMaxFields = 8;

    // Reads TFLD1 .. TFLD8 of the terminal's section (with or without brackets).
    void load(const ParameterLookup& parameters, const zString& section, zLogger& log);

    bool isLoaded() const { return loaded_; }
    int count() const { return count_; }
    // The terminal's field of that name, or nullptr when its section does not define it.
    const FLD_FMT_t* find(const char* name) const;

private:
    bool loaded_ = false;
    int count_ = 0;
    FLD_FMT_t fields_[kMaxFields] = {};
};
