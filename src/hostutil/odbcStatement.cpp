#include "odbcStatement.h"

#include <algorithm>
#include <vector>

namespace hostutil {

OdbcStatement::OdbcStatement(SQLHDBC connection)
    : allocation_(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_)) {}

OdbcStatement::~OdbcStatement() {
    if (succeeded(allocation_)) SQLFreeHandle(SQL_HANDLE_STMT, handle_);
}

int queryDocumentLength(SQLHSTMT statement, const char* query, std::uint32_t& length) {
    if (!succeeded(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query)),
                                 SQL_NTS)))
        return -3;
    const SQLRETURN fetched = SQLFetch(statement);
    if (fetched == SQL_NO_DATA) return -5;
    if (!succeeded(fetched)) return -3;

    SQLUINTEGER value = 0;
    SQLLEN indicator = 0;
    if (!succeeded(SQLGetData(statement, 2, SQL_C_ULONG, &value, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return -4;
    length = value;
    return 0;
}

ColumnRead readBinaryColumn(SQLHSTMT statement, SQLUSMALLINT column, std::uint64_t limit,
                            const ColumnSink& sink) {
    std::vector<char> piece(kPieceSize);
    std::uint64_t delivered = 0;
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(statement, column, SQL_C_BINARY, piece.data(), static_cast<SQLLEN>(kPieceSize), &indicator);
        if (rc == SQL_NO_DATA) {
            // Some drivers answer an empty value this way on the first call.
            if (first && !sink(piece.data(), 0)) return ColumnRead::Stopped;
            return ColumnRead::Complete;
        }
        if (!succeeded(rc) || indicator == SQL_NULL_DATA) return ColumnRead::Failed;

        // SQL_NO_TOTAL or a length beyond the buffer: the piece filled it
        // and more follows; otherwise this was the last piece.
        const bool last = indicator != SQL_NO_TOTAL && indicator <= static_cast<SQLLEN>(kPieceSize);
        const std::uint64_t got = last ? static_cast<std::uint64_t>(indicator) : kPieceSize;
        const std::uint64_t take = std::min(got, limit - delivered);
        if (!sink(piece.data(), static_cast<std::size_t>(take))) return ColumnRead::Stopped;
        delivered += take;
        if (last || delivered == limit) return ColumnRead::Complete;
    }
}

}  // namespace hostutil
