// Stores a file as the one binary parameter of the host's statement. The
// length is declared when binding (some drivers store an empty value when it
// is unknown) and the bytes are still supplied at execution time, piece by
// piece, so the file never has to fit in memory.
#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "odbcStatement.h"

#include <sys/stat.h>
#include <vector>

using namespace hostutil;

namespace {

// Answers the driver's requests for parameter data with the file's bytes.
// True when the statement finally succeeded.
bool supplyFile(SQLHSTMT statement, SQLRETURN rc, std::FILE* file) {
    std::vector<char> chunk(kPieceSize);
    SQLPOINTER token = nullptr;
    while (rc == SQL_NEED_DATA) {
        rc = SQLParamData(statement, &token);
        if (rc != SQL_NEED_DATA) break;
        std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        // An empty file still gets one (empty) piece, so it is stored as an
        // empty value rather than left to the driver's taste.
        do {
            if (!succeeded(SQLPutData(statement, chunk.data(), static_cast<SQLLEN>(got)))) {
                SQLCancel(statement);
                return false;
            }
        } while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0);
        if (std::ferror(file)) {
            SQLCancel(statement);
            return false;
        }
    }
    return succeeded(rc) || rc == SQL_NO_DATA;  // NO_DATA: an UPDATE that matched no row
}

}  // namespace

static int LoadBinBody(SQLHDBC connection, const char* sql, const char* path) {
    if (!connection) return -1;
    OdbcStatement statement(connection);
    if (!succeeded(statement.allocation())) return -2;

    CFile file = openFile(path, "rb");
    struct stat info {};
    if (!file || fstat(fileno(file.get()), &info) != 0) return -3;
    const auto size = static_cast<SQLLEN>(info.st_size);

    if (!sql || !succeeded(SQLPrepare(statement.handle(),
                                      reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS)))
        return -4;
    SQLLEN lengthOrIndicator = SQL_LEN_DATA_AT_EXEC(size);
    if (!succeeded(SQLBindParameter(statement.handle(), 1, SQL_PARAM_INPUT, SQL_C_BINARY,
                                    SQL_LONGVARBINARY, static_cast<SQLULEN>(size), 0,
                                    reinterpret_cast<SQLPOINTER>(1), 0, &lengthOrIndicator)))
        return -4;

    const SQLRETURN rc = SQLExecute(statement.handle());
    return supplyFile(statement.handle(), rc, file.get()) ? 0 : -5;
}

extern "C" MIRTA_API int LoadBin(SQLHDBC connection, const char* sql, const char* path) {
    return hostutil::guarded("LoadBin", -5, [&] { return LoadBinBody(connection, sql, path); });
}
