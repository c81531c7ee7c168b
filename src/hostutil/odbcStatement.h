#pragma once
// A statement handle on a host's ODBC connection, dropped on every path, and
// the piecewise reading of a binary column, so that documents of any size
// pass through a fixed buffer.
#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace hostutil {

// Pieces of 1 MiB keep the number of driver calls low for large documents.
inline constexpr std::size_t kPieceSize = 1024 * 1024;

inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

class OdbcStatement {
public:
    explicit OdbcStatement(SQLHDBC connection);
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;
    ~OdbcStatement();

    SQLRETURN allocation() const { return allocation_; }
    SQLHSTMT handle() const { return handle_; }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
    SQLRETURN allocation_;
};

// Executes a query that returns a document in column 1 and its length in
// column 2, fetches the first row and reads the length. 0, or -3 the query
// failed, -4 the length could not be read (or is NULL), -5 no row.
int queryDocumentLength(SQLHSTMT statement, const char* query, std::uint32_t& length);

enum class ColumnRead {
    Complete,  // every byte up to the limit went to the sink
    Stopped,   // the sink asked to stop
    Failed,    // the driver refused the data, or it is NULL
};

// Reads column `column` of the current row as binary data, at most `limit`
// bytes, and hands it to `sink` piece by piece. The sink is called at least
// once (perhaps with no bytes) as soon as the column proved readable; it
// returns false to stop.
using ColumnSink = std::function<bool(const char* data, std::size_t size)>;
ColumnRead readBinaryColumn(SQLHSTMT statement, SQLUSMALLINT column, std::uint64_t limit,
                            const ColumnSink& sink);

}  // namespace hostutil
