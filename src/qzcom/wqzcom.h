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
 * runs on the caller's thread.
 *
 * The process's current directory changes during a call: the command runs
 * in the working directory named by OPENCOM, and the caller's directory is
 * made current again before the call returns. The current directory belongs
 * to the whole process, so other threads of the host must not rely on it
 * (nor open relative paths) while a call runs. A working directory that
 * cannot be entered fails the call with WQZCOM_NO_WORK_DIR before anything
 * is written.
 *
 * Names a terminal sends (template lists) are used only as plain file names
 * in the working directory; any other name fails the operation unused.
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
#define WQZCOM_NO_WORK_DIR (-4)     /* the working directory (or the caller's) cannot be entered */
#define WQZCOM_INTERNAL_ERROR (-5)  /* an unexpected failure inside the library; the host is unharmed */
#define WQZCOM_UNKNOWN_COMMAND 9999 /* reply "Invalid DLL command" */

/* Codes of the file transfers (RFILE and the template and TXFAR fetches). */
#define WQZCOM_TRANSFER_BOUND 94    /* past 0xFFFF blocks, the announced size or TRANSFER_TIMEOUT */

/* Both entry points behave alike; QZCom forwards to Qzcom. */
WQZCOM_API int QZCom(char* command, char* reply);
WQZCOM_API int Qzcom(char* command, char* reply);

/* Asks the running call to stop, as the Stop button of the progress window
 * does, for hosts without a window (or with DISABLE_WINDOW=1). Safe from any
 * thread and from a signal handler. The running operation ends at its next
 * block or wait (a wait ends with 92); a stopped download moves no marker and
 * a stopped fetch replaces no file. The request is forgotten at the start of
 * every call. */
WQZCOM_API void QzcomStop(void);

#ifdef __cplusplus
}
#endif
#endif
