#pragma once
/*
 * libRLX40C.so - our driver for the RS485 concentrator of the newer terminal
 * models. The command tool loads it by name at run time and looks up the
 * nine entry points below; InitR40, SendMsg, PollTerm and ResetR40 carry
 * the traffic, the other five are harmless.
 *
 * Port: InitR40's port number n opens /dev/ttyS(n-1) (10 opens /dev/ttyS9),
 * unless the environment variable RLX40C_COMn names another device (the
 * command tool sets RLX40C_COM0 for a port given as a device path). The
 * open does not wait for carrier; the line is then set up with CLOCAL and
 * used blocking. Speed code 1 is 9600 baud, 2 19200, 3 38400; 8 data bits,
 * no parity, one stop bit, raw.
 *
 * Protocol between this driver and the concentrator, one frame each way:
 *
 *   STX kind node(2 decimal digits) length(3 decimal digits) payload
 *       check(4 lowercase hexadecimal digits) ETX
 *
 * STX is 0x02, ETX 0x03; length counts the payload bytes (0..999); check is
 * the CRC-16 (polynomial 0xA001 reflected, initial value 0) of kind, node,
 * length and payload. A frame with a wrong check is ignored.
 *
 *   PC -> concentrator             concentrator -> PC
 *   'I' 00 speed code  open       'I' 00 "OK"
 *   'S' node text      deliver    'A' node: taken   'T' node: the node did not take it
 *   'P' node           poll       'M' sender text: a message of `sender`
 *                                 'E' node: it answered with nothing to send
 *                                 'N' node: it did not answer
 *   'R' 00             reset      (no answer)
 *
 * The concentrator answers each frame within 500 ms; the driver waits up to
 * 1000 ms and repeats a request RetryNum times (default 1) before it gives up.
 */
#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the network is open; 0 the port does not exist; -2 the port is not
 * available; -1 the concentrator did not answer. */
int InitR40(int port, int speedCode, int address, int flags);
/* 1 after changing the line speed of the open port, else 0. */
int ChgSpeedR40(int speedCode);
/* 2 a message is in `area` (at least 129 bytes: the sender's node number,
 * then the text, NUL-terminated); 1 the terminal answered with nothing to
 * send; 0 it did not answer; -1 time-out; -3 network not initialised. */
int PollTerm(int node, char* area);
/* Always 0: the driver polls one terminal at a time. */
int PollAll(void);
/* 0 sent; -1 transmission time-out; -3 network not initialised. */
int SendMsg(int node, const char* text);
/* Sets how often a request is tried (1..9); returns the previous count. */
int RetryNum(int retries);
/* Closes the network and the port; 0. */
int ResetR40(void);
/* Raise or drop DTR on the open port; 0 (a line without DTR is no error). */
int DTRon(void);
int DTRoff(void);

#ifdef __cplusplus
}
#endif
