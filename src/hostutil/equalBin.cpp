// Compares a file with a stored document, reading both piece by piece: the
// sizes are compared before any byte, and the first differing piece ends
// the comparison.
#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "odbcStatement.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace hostutil;

namespace {

constexpr std::size_t kMaxIdLength = 50;

enum class Verdict { Equal = 0, SizesDiffer = 1, ContentsDiffer = 2, FileMissing = -7 };

}  // namespace

static int EqualBinBody(SQLHDBC connection, const char* table, const char* id,
                                  const char* path) {
    if (!connection) return -1;
    OdbcStatement statement(connection);
    if (statement.allocation() != SQL_SUCCESS) return -2;
    if (!table || !id) return -3;

    char idText[kMaxIdLength + 1] = {};
    std::strncpy(idText, id, kMaxIdLength);
    SQLLEN idIndicator = SQL_NTS;
    if (!succeeded(SQLBindParameter(statement.handle(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_CHAR,
                                    kMaxIdLength, 0, idText, sizeof idText, &idIndicator)))
        return -3;
    std::string query = "SELECT documento,datalength(documento) FROM ";
    query += table;
    query += " WHERE iddoc=?";
    std::uint32_t length = 0;
    if (int rc = queryDocumentLength(statement.handle(), query.c_str(), length); rc != 0) return rc;

    // The file is opened once the document proved readable.
    CFile file;
    Verdict verdict = Verdict::Equal;
    std::vector<char> filePiece;
    std::uint64_t compared = 0;
    const ColumnRead read = readBinaryColumn(
        statement.handle(), 1, length, [&](const char* data, std::size_t size) {
            if (!file) {
                struct stat info {};
                file = openFile(path, "rb");
                if (!file || fstat(fileno(file.get()), &info) != 0) {
                    verdict = Verdict::FileMissing;
                    return false;
                }
                if (static_cast<std::uint64_t>(info.st_size) != length) {
                    verdict = Verdict::SizesDiffer;
                    return false;
                }
            }
            filePiece.resize(size);
            if (size > 0 && (std::fread(filePiece.data(), 1, size, file.get()) != size ||
                             std::memcmp(filePiece.data(), data, size) != 0)) {
                verdict = Verdict::ContentsDiffer;
                return false;
            }
            compared += size;
            return true;
        });
    if (read == ColumnRead::Failed) return -6;
    // A document shorter than its stated length cannot equal a file of that length.
    if (read == ColumnRead::Complete && compared < length) return 2;
    return static_cast<int>(verdict);
}

extern "C" MIRTA_API int EqualBin(SQLHDBC connection, const char* table, const char* id,
                                  const char* path) {
    return hostutil::guarded("EqualBin", -6, [&] { return EqualBinBody(connection, table, id, path); });
}
