// Raw printing: the file's bytes go unchanged to a CUPS queue as one job
// named after the file, or to an output file when the host names one.
#include "cFile.h"
#include "hostMessage.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "qtPart.h"

#include <cups/cups.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

using namespace hostutil;

namespace {

constexpr std::size_t kTransferSize = 4096;
constexpr std::size_t kMaxErrorText = 128;

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    char text[1024];
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

const char* shown(const char* text) { return text ? text : "(null)"; }

void showFailure(const std::string& message, const char* errorText) {
    showMessage(message);
    showMessage(std::string(errorText).substr(0, kMaxErrorText));
}

// The wait cursor of a Qt host for the duration of the transfer, restored
// on every path.
class WaitCursor {
public:
    WaitCursor() : qt_(hostHasQt() ? loadQtPart() : nullptr) {
        if (qt_) qt_->waitCursor(1);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() {
        if (qt_) qt_->waitCursor(0);
    }

private:
    const QtPart* qt_;
};

void showTransferFailure() { showMessage("Trasmissione dati alla stampante fallito"); }

// Copies the file into an output file instead of the queue.
int copyToOutputFile(std::FILE* in, const char* outputFile, char* buffer) {
    CFile out = openFile(outputFile, "wb");
    if (!out) {
        const int error = errno;
        showFailure(format("Inizio stampa su '%s' fallita: %ld", outputFile, long(error)),
                    std::strerror(error));
        return 0;
    }
    bool copied;
    {
        WaitCursor busy;
        std::size_t got;
        while ((got = std::fread(buffer, 1, kTransferSize, in)) > 0)
            if (std::fwrite(buffer, 1, got, out.get()) != got) break;
        copied = got == 0 && !std::ferror(in) && std::fflush(out.get()) == 0;
    }
    if (!copied) showTransferFailure();
    return copied ? 1 : 0;
}

int sendToQueue(std::FILE* in, const char* printer, const char* outputFile, const char* path,
                char* buffer) {
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, printer, path, 0, nullptr);
    if (job == 0 || cupsStartDocument(CUPS_HTTP_DEFAULT, printer, job, path, CUPS_FORMAT_RAW,
                                      1) != HTTP_STATUS_CONTINUE) {
        showFailure(format("Inizio stampa su '%s' fallita: %ld", shown(outputFile),
                           long(cupsLastError())),
                    cupsLastErrorString());
        if (job != 0) cupsCancelJob2(CUPS_HTTP_DEFAULT, printer, job, 0);
        return 0;
    }
    bool sent;
    {
        WaitCursor busy;
        std::size_t got;
        while ((got = std::fread(buffer, 1, kTransferSize, in)) > 0)
            if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer, got) != HTTP_STATUS_CONTINUE) break;
        const bool allSent = got == 0 && !std::ferror(in);
        sent = cupsFinishDocument(CUPS_HTTP_DEFAULT, printer) == IPP_STATUS_OK && allSent;
    }
    if (!sent) {
        showTransferFailure();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, printer, job, 0);
        return 0;
    }
    return 1;
}

}  // namespace

static int PrintFileBody(const char* printer, const char* outputFile, const char* path) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kTransferSize + 1]);
    if (!buffer) {
        showMessage("Memoria insufficente per copiare il file");
        return 0;
    }
    CFile in = openFile(path, "rb");
    if (!in) {
        showMessage(format("Non posso aprire il '%s' per leggerlo.", shown(path)));
        return 0;
    }
    cups_dest_t* dest = printer ? cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer, nullptr) : nullptr;
    if (!dest) {
        const long error = printer ? long(cupsLastError()) : long(IPP_STATUS_ERROR_NOT_FOUND);
        showFailure(format("OpenPrinter per '%s' fallita: %ld", shown(printer), error),
                    printer ? cupsLastErrorString() : ippErrorString(IPP_STATUS_ERROR_NOT_FOUND));
        return 0;
    }
    cupsFreeDests(1, dest);

    if (outputFile && *outputFile) return copyToOutputFile(in.get(), outputFile, buffer.get());
    return sendToQueue(in.get(), printer, outputFile, path, buffer.get());
}

extern "C" MIRTA_API int PrintFile(const char* printer, const char* outputFile, const char* path) {
    return hostutil::guarded("PrintFile", 0, [&] { return PrintFileBody(printer, outputFile, path); });
}
