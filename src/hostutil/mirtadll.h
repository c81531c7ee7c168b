#ifndef MIRTADLL_H
#define MIRTADLL_H
/*
 * libMIRTADLL: small utilities for host applications.
 *
 * Every text is an 8-bit, zero-terminated string. The caller owns and sizes
 * every output buffer; the functions do not check buffer sizes, except that
 * sendSocketRequest never writes more than MIRTADLL_SOCKET_REPLY_MAX bytes.
 * No function keeps state between calls, and all of them may be called from
 * any thread. No exception or other failure inside the library reaches the
 * host: an export that meets one returns its failure code (0 for PrintFile,
 * SetupDialog, SetNewTime, ReplChar and RMDcalc; 1 with empty texts for
 * DefaultPrinter; -2 for VEDIVAR, ConvertToUnicode and ConvertToAnsi; -5 for
 * LoadBin; -4 for SaveBin; -6 for EqualBin; ENOMEM for RunPrg; -1 for
 * SortList, SortList2 and both socket requests; threadSleep still returns
 * its argument).
 */
#include <sqltypes.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(MIRTADLL_BUILD)
#define MIRTA_API __attribute__((visibility("default")))
#else
#define MIRTA_API
#endif

/*
 * Printer set-up record for SetupDialog. The field order is kept and the
 * record is packed (no padding); on 64-bit Linux the three buffer addresses
 * and the device-context handle are pointer-sized (8 bytes), so the record is
 * 42 bytes long there.
 */
#pragma pack(push, 1)
typedef struct MirtaPrinterSetup {
    char* device;           /* out: queue name (at least 129 bytes) */
    char* driver;           /* out: make and model (at least 129 bytes) */
    char* port;             /* out: device URI (at least 129 bytes) */
    unsigned short copies;  /* in/out: number of copies */
    unsigned short fromPage; /* in/out: first page, also the lowest allowed */
    unsigned short toPage;  /* in/out: last page, also the highest allowed */
    unsigned int flags;     /* in: print-dialog flags (MIRTA_PD_*) */
    void* deviceContext;    /* out: always null, there is no device context */
} MirtaPrinterSetup;
#pragma pack(pop)

/* Print-dialog flags honoured by SetupDialog; others are ignored. */
#define MIRTA_PD_SELECTION 0x00000001u          /* start with "selection" chosen */
#define MIRTA_PD_PAGENUMS 0x00000002u           /* start with the page range chosen */
#define MIRTA_PD_NOSELECTION 0x00000004u        /* offer no "selection" choice */
#define MIRTA_PD_NOPAGENUMS 0x00000008u         /* offer no page range */
#define MIRTA_PD_RETURNDEFAULT 0x00000400u      /* no dialog: default printer at once */
#define MIRTA_PD_DISABLEPRINTTOFILE 0x00080000u /* offer no "print to file" */

/* Sends the file at `path` unchanged to the CUPS queue `printer` as a raw
 * job named after the path. When `outputFile` is a non-empty text the job's
 * bytes go to that file instead (the queue must still exist). Problems are
 * told on standard error, or in a message box when a Qt application runs
 * (which also shows the wait cursor during the transfer). 1 printed, 0 failed. */
MIRTA_API int PrintFile(const char* printer, const char* outputFile, const char* path);

/* Shows the Qt print dialog. On confirmation fills the three buffers like
 * DefaultPrinter does for the chosen queue and writes back copies and pages.
 * Nonzero when confirmed; 0 when cancelled, or when no dialog can be shown
 * (no display and no running Qt application, or Qt not installed). */
MIRTA_API int SetupDialog(MirtaPrinterSetup* setup);

/* Names of the CUPS default destination, each cut to 128 bytes: device =
 * queue name, driver = make and model, port = device URI. Texts stay empty
 * when there is no default. Buffers of 129 bytes at least. Always 1. */
MIRTA_API int DefaultPrinter(char* device, char* driver, char* port);

/* Reads a variable from a memory-variable file (first 10000 bytes only).
 * Character variables give their text, logical ones "T" or "F".
 * 1 found, -1 not found, -2 file missing, -3 file empty. */
MIRTA_API int VEDIVAR(const char* path, const char* name, char* value);

/* Executes `sql`, whose one parameter receives the file's bytes as long
 * binary data (length declared, data streamed at execution time). Hosts
 * reach PostgreSQL through psqlODBC with ByteaAsLongVarBinary=1, so that the
 * parameter is bytea.
 * 0 stored; -1 no connection; -2 no statement handle; -3 file missing;
 * -4 statement not prepared; -5 the database rejected the execution. */
MIRTA_API int LoadBin(SQLHDBC connection, const char* sql, const char* path);

/* Runs `query` (document in column 1, its length in column 2) and writes the
 * first row's document to `path`, at most that length.
 * 0 done; -1 no connection; -2 no statement handle; -3 query failed;
 * -4 data not read (no file is left behind); -5 no row; -6 file not created. */
MIRTA_API int SaveBin(SQLHDBC connection, const char* query, const char* path);

/* Compares the file with the document `id` (at most 50 characters) of
 * `table`, read by "SELECT documento,datalength(documento) FROM <table>
 * WHERE iddoc=?". 0 equal; 1 sizes differ; 2 contents differ; -1 no
 * connection; -2 no statement handle; -3 query failed; -4 size not read;
 * -5 no row; -6 document not read; -7 file missing. */
MIRTA_API int EqualBin(SQLHDBC connection, const char* table, const char* id, const char* path);

/* Starts the program at `path` (no search along PATH) with up to five
 * arguments (a null one ends the list; the first is the program's own name
 * by convention) and the caller's environment, and waits for it to end.
 * 0 when it ran (its exit status is not reported), else an errno value. */
MIRTA_API int RunPrg(const char* path, const char* arg0, const char* arg1, const char* arg2,
                     const char* arg3, const char* arg4);

/* Sets the PC clock: year, month and day replace the current ones when
 * greater than 0, hour and minute when 0 or greater (each taken as a signed
 * 16-bit number); seconds stay. 1 set, 0 refused (impossible date, no right).
 * With PCCLOCK_FILE set the time is appended to that file instead. */
MIRTA_API int SetNewTime(int year, int month, int day, int hour, int minute);

/* Copies `inPath` to `outPath`, replacing every byte `find` by `replacement`.
 * 1 done, 0 a file could not be opened. */
MIRTA_API int ReplChar(const char* inPath, const char* outPath, int find, int replacement);

/* "key:value,key:value,..." -> the values in ascending integer key order,
 * comma-joined; a later equal key replaces the value. Items without a colon
 * and empty items are skipped. 0 done; -1 nothing to sort (output untouched). */
MIRTA_API int SortList(const char* list, char* output);

/* "b,a,c,a" -> "a,b,c": items byte-wise ascending, duplicates and empty
 * items dropped. 0 done; -1 nothing to sort (output untouched). */
MIRTA_API int SortList2(const char* list, char* output);

/* RIPEMD-160 of the file's bytes as 40 lower-case hex digits (buffer of 41
 * bytes). 1 done; 0 the file could not be read (output is then empty). */
MIRTA_API int RMDcalc(const char* path, char* output);

/* 8-bit text (byte = code point) to UTF-16LE with byte-order mark; every
 * line ends in CR LF. 1 done, -1 input missing, -2 output not created. */
MIRTA_API int ConvertToUnicode(const char* inPath, const char* outPath);

/* UTF-16LE (after a 2-byte mark) to 8-bit text: zero bytes dropped, every
 * line ends in CR LF. 1 done, -1 input missing, -2 output not created. */
MIRTA_API int ConvertToAnsi(const char* inPath, const char* outPath);

/* The largest reply the socket requests keep and copy: the first this many
 * bytes; anything after them is read and dropped until the peer closes. */
#define MIRTADLL_SOCKET_REPLY_MAX 20000

/* Connects to host:port over TCP, sends `request` and reads until the peer
 * closes, a receive error, nothing arriving for MIRTADLL_SOCKET_IDLE_MS
 * milliseconds (30000 by default), or the whole call reaching
 * MIRTADLL_SOCKET_TOTAL_MS milliseconds (60000 by default, connecting
 * included). Copies the first MIRTADLL_SOCKET_REPLY_MAX bytes at most into
 * `reply`, up to the first zero byte (no zero is added). Returns the number
 * of bytes kept (at most MIRTADLL_SOCKET_REPLY_MAX), or -1 when no
 * connection was made. `reply` must hold MIRTADLL_SOCKET_REPLY_MAX bytes, or
 * one more when the host adds a zero after the returned count.
 * Kept for existing hosts: new hosts call sendSocketRequestSized. */
MIRTA_API int sendSocketRequest(const char* host, int port, const char* request, char* reply);

/* The same request for hosts that know their buffer's size: keeps at most
 * replySize - 1 bytes (and never more than MIRTADLL_SOCKET_REPLY_MAX),
 * copies them up to the first zero byte and always ends the text with a
 * zero. Returns the number of bytes kept, or -1 when no connection was made
 * or `reply` is null or replySize below 1. New hosts should call this one. */
MIRTA_API int sendSocketRequestSized(const char* host, int port, const char* request, char* reply,
                                     int replySize);

/* Suspends the calling thread for `milliseconds` and returns that number. */
MIRTA_API int threadSleep(int milliseconds);

#ifdef __cplusplus
}
#endif
#endif
