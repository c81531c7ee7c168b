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
    if (!query) return -3;
    std::uint32_t length = 0;
    if (int rc = queryDocumentLength(statement.handle(), query, length); rc != 0) return rc;

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
