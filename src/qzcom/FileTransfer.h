#pragma once
// Moving whole files to and from the terminal's file store. Names that
// begin "qzcom." go as text, line by line; others as binary data in blocks
// of 128 bytes written as upper-case hex pairs.
#include "Session.h"

#include <string>

namespace qzcom {

bool isTextTransfer(const std::string& name);
int sendFile(Session& s, const std::string& name);
int fetchFile(Session& s, const std::string& name);

}  // namespace qzcom
