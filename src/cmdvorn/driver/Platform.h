#pragma once
// Facts about the running program and machine shown in the log header and
// the help and about boxes.
#include "zString.h"

// "Linux Version %lu.%lu Build %lu %s" from the kernel release and version;
// empty when the system cannot be asked.
zString platformDescription();

// The directory of the running executable (symbolic links resolved), or an
// empty text when it cannot be found.
zString executableDirectory();

// The process's current directory.
zString currentDirectory();

// The build's version, four numbers.
zString programVersion();
