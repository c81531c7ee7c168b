#ifndef WQZCOM_H
#define WQZCOM_H
/*
 * libwqzcom: drives one terminal of the QZ family per process.
 *
 * The host passes one command string per call, "WORD[,PARAMETER[,THIRD]]",
 * for example "OPENCOM,TCP:10.0.0.7 3001 5 /srv/data", "RXTRANSIT,all" or
 * "VER". The command buffer must be writable: every comma in it is replaced
 * by a zero byte. `reply` is the caller's buffer of at least 1024 bytes; it is
 * emptied by every dispatched command and filled only by a raw telegram (a
 * two-character word), INITMODEM, VER and an unknown word.
 *
 * The link, the settings (read from "wqzcom.ini", section "nx", by OPENCOM)
 * and the working directory persist from one call to the next. Every call
 * runs on the caller's thread and restores the caller's current directory.
 *
 * The settings file is looked for in the system directory first (/etc, or
 * the directory named by the environment variable WQZCOM_SYSTEM_DIR), then
 * in the caller's current directory.
 *
 * Results: 0 done; a terminal's reply code; or one of the codes below and
 * those each command documents (91 time-out, 92 stopped, 98 file missing...).
 */
#ifdef __cplusplus
extern "C" {
#endif

#if defined(WQZCOM_BUILD)
#define WQZCOM_API __attribute__((visibility("default")))
#else
#define WQZCOM_API
#endif

/* Codes of the entry itself. */
#define WQZCOM_DONE 0
#define WQZCOM_BUSY (-1)            /* another call is still running: refused at once */
#define WQZCOM_NOT_OPEN (-2)        /* the command needs a link and no OPENCOM opened one */
#define WQZCOM_REQUEST_TOO_LONG (-3) /* the request would not fit in one 1024-byte frame */
#define WQZCOM_UNKNOWN_COMMAND 9999 /* reply "Invalid DLL command" */

/* Both entry points behave alike; QZCom forwards to Qzcom. */
WQZCOM_API int QZCom(char* command, char* reply);
WQZCOM_API int Qzcom(char* command, char* reply);

#ifdef __cplusplus
}
#endif
#endif
