// SaveBin gives its file the permissions the process's mask asks for, and
// never clears the mask to learn it: a file another thread created in that
// moment would be world-writable. The test build exports this umask, so the
// library's calls come here first.
#include "hostTestSupport.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <atomic>
#include <string>

namespace {
std::atomic<int> masksCleared{0};
}  // namespace

extern "C" mode_t umask(mode_t mask) {
    using Umask = mode_t (*)(mode_t);
    static const auto real = reinterpret_cast<Umask>(dlsym(RTLD_NEXT, "umask"));
    if (mask == 0) ++masksCleared;
    return real(mask);
}

namespace {

// A SQLite database through its ODBC driver, holding one document.
class Document {
public:
    explicit Document(const std::string& file) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        std::string text = std::string("Driver=") + SQLITE_ODBC_DRIVER + ";Database=" + file + ";";
        connected_ = SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                                    SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        if (connected_) exec("CREATE TABLE docs (documento BLOB); INSERT INTO docs VALUES (x'414243');");
    }
    ~Document() {
        if (connected_) SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    bool connected() const { return connected_; }
    SQLHDBC handle() const { return dbc_; }

private:
    void exec(std::string sql) {
        SQLHSTMT stmt;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

}  // namespace

TEST(FileMode, SaveBinReadsTheMaskWithoutClearingIt) {
    TempDir dir;
    Document db(dir.path("docs.db"));
    ASSERT_TRUE(db.connected()) << "SQLite ODBC driver " << SQLITE_ODBC_DRIVER;
    const mode_t previous = umask(027);
    masksCleared = 0;
    const std::string path = dir.path("out.bin");
    EXPECT_EQ(mirta().SaveBin(db.handle(), "SELECT documento, length(documento) FROM docs", path.c_str()), 0);
    EXPECT_EQ(masksCleared, 0) << "the process's mask was cleared, if only for a moment";
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // 0666 under the mask 027
    EXPECT_EQ(readBytes(path), "ABC");
    umask(previous);
}
