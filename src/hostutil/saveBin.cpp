// Writes the document of the first row of the host's query to a file. The
// query returns the document in column 1 and its length in column 2; at most
// that length is written.
#include "cFile.h"
#include "exportGuard.h"
#include "mirtadll.h"
#include "odbcStatement.h"
#include "zReplacingFile.h"


using namespace hostutil;

static int SaveBinBody(SQLHDBC connection, const char* query, const char* path) {
    if (!connection) return -1;
    OdbcStatement statement(connection);
    if (!succeeded(statement.allocation())) return -2;
    if (!query) return -3;
    std::uint32_t length = 0;
    if (int rc = queryDocumentLength(statement.handle(), query, length); rc != 0) return rc;

    // The document goes to a temporary file beside the output, which
    // replaces the output only once the whole document is there: a failure
    // leaves an existing file as it was.
    zReplacingFile file(path ? path : "");
    bool notCreated = false;
    const ColumnRead read = readBinaryColumn(
        statement.handle(), 1, length, [&](const char* data, std::size_t size) {
            if (!file.isOpen() && !file.open()) {
                notCreated = true;
                return false;
            }
            return file.write(data, size);
        });
    if (notCreated) return -6;
    if (read == ColumnRead::Failed) return -4;
    return read == ColumnRead::Complete && file.commit() ? 0 : -6;
}

extern "C" MIRTA_API int SaveBin(SQLHDBC connection, const char* query, const char* path) {
    return hostutil::guarded("SaveBin", -4, [&] { return SaveBinBody(connection, query, path); });
}
