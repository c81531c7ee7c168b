#pragma once
// Sets the line speed of an open serial device, including the rates termios
// has no constant for (56000, 64000, 128000). Returns 0 or an errno value.
namespace fnd {

int setSerialBaud(int fd, long baud);

}  // namespace fnd
