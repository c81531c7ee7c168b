#pragma once
// The foundation library's one exception. Raised only for a missing router
// in the configuration, an empty job stack and a missing concentrator driver;
// everything else reports through return values.
#include "zString.h"

class FndException {
public:
    explicit FndException(zString message) : message_(std::move(message)) {}
    const zString& message() const { return message_; }

private:
    zString message_;
};
