// Writes the document of the first row of the host's query to a file. The
// query returns the document in column 1 and its length in column 2; at most
// that length is written.
#include "cFile.h"
#include "mirtadll.h"
#include "odbcStatement.h"

#include <cstdio>

using namespace hostutil;

extern "C" MIRTA_API int SaveBin(SQLHDBC connection, const char* query, const char* path) {
    if (!connection) return -1;
    OdbcStatement statement(connection);
    if (!succeeded(statement.allocation())) return -2;
    if (!query || !succeeded(SQLExecDirect(statement.handle(),
                                           reinterpret_cast<SQLCHAR*>(const_cast<char*>(query)),
                                           SQL_NTS)))
        return -3;
    const SQLRETURN fetched = SQLFetch(statement.handle());
    if (fetched == SQL_NO_DATA) return -5;
    if (!succeeded(fetched)) return -3;

    SQLUINTEGER length = 0;
    SQLLEN indicator = 0;
    if (!succeeded(SQLGetData(statement.handle(), 2, SQL_C_ULONG, &length, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return -4;

    // The file is created once the document proved readable, and removed
    // again if reading fails later, so a failure never leaves a torn file.
    CFile file;
    bool notCreated = false;
    const ColumnRead read = readBinaryColumn(
        statement.handle(), 1, length, [&](const char* data, std::size_t size) {
            if (!file) file = openFile(path, "wb");
            if (!file) {
                notCreated = true;
                return false;
            }
            return std::fwrite(data, 1, size, file.get()) == size;
        });
    if (notCreated) return -6;
    const bool created = static_cast<bool>(file);
    const bool written = read == ColumnRead::Complete && created && std::fflush(file.get()) == 0;
    file.reset();
    if (!written) {
        if (created) std::remove(path);
        return read == ColumnRead::Failed ? -4 : -6;
    }
    return 0;
}
