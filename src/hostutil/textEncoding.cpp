// Conversions between 8-bit text (byte value = code point) and UTF-16LE with
// a byte-order mark. Both stream through buffered C streams, so lines of any
// length and files of any size convert without being split or held in
// memory; every output line ends in CR LF.
#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"

#include <cstdio>

using namespace hostutil;

namespace {

bool isLineEnd(int c) { return c == '\r' || c == '\n'; }

void putUnit(std::FILE* out, int unit) {
    std::putc(unit & 0xFF, out);
    std::putc((unit >> 8) & 0xFF, out);
}

void skipPastLineFeed(std::FILE* in) {
    for (int c = std::getc(in); c != EOF && c != '\n'; c = std::getc(in)) {}
}

// One 8-bit line (bytes up to LF): the bytes before its first CR or LF are
// widened, then CR LF ends it. False when the input is exhausted.
bool widenLine(std::FILE* in, std::FILE* out) {
    int c = std::getc(in);
    if (c == EOF) return false;
    for (; c != EOF && !isLineEnd(c); c = std::getc(in)) putUnit(out, c);
    if (c == '\r') skipPastLineFeed(in);
    putUnit(out, '\r');
    putUnit(out, '\n');
    return true;
}

// One piece of UTF-16LE bytes (up to byte 0x0A). A piece that starts with two
// zero bytes, or is one zero byte at the end (the high half of the last line
// feed), is dropped; otherwise its non-zero bytes before the first CR or LF
// form the line. False when the input is exhausted.
bool narrowPiece(std::FILE* in, std::FILE* out) {
    int c = std::getc(in);
    if (c == EOF) return false;
    const bool startsWithZero = c == 0;
    int length = 0;
    bool inText = true;
    for (; c != EOF; c = std::getc(in)) {
        ++length;
        if (length == 2 && startsWithZero && c == 0) {
            skipPastLineFeed(in);
            return true;
        }
        if (isLineEnd(c)) inText = false;
        if (inText && c != 0) std::putc(c, out);
        if (c == '\n') break;
    }
    if (!(startsWithZero && length == 1 && c == EOF)) {
        std::putc('\r', out);
        std::putc('\n', out);
    }
    return true;
}

}  // namespace

static int ConvertToUnicodeBody(const char* inPath, const char* outPath) {
    CFile in = openFile(inPath, "rb");
    if (!in) return -1;
    CFile out = openFile(outPath, "wb");
    if (!out) return -2;

    putUnit(out.get(), 0xFEFF);
    while (widenLine(in.get(), out.get())) {}
    return std::fflush(out.get()) == 0 && !std::ferror(out.get()) ? 1 : -2;
}

static int ConvertToAnsiBody(const char* inPath, const char* outPath) {
    CFile in = openFile(inPath, "rb");
    if (!in) return -1;
    CFile out = openFile(outPath, "wb");
    if (!out) return -2;

    std::getc(in.get());  // byte-order mark
    std::getc(in.get());
    while (narrowPiece(in.get(), out.get())) {}
    return std::fflush(out.get()) == 0 && !std::ferror(out.get()) ? 1 : -2;
}

extern "C" MIRTA_API int ConvertToUnicode(const char* inPath, const char* outPath) {
    return hostutil::guarded("ConvertToUnicode", -2, [&] { return ConvertToUnicodeBody(inPath, outPath); });
}

extern "C" MIRTA_API int ConvertToAnsi(const char* inPath, const char* outPath) {
    return hostutil::guarded("ConvertToAnsi", -2, [&] { return ConvertToAnsiBody(inPath, outPath); });
}
