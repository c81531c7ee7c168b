// LoadBin, SaveBin and EqualBin against real databases through real drivers:
// SQLite through its ODBC driver, and PostgreSQL through psqlODBC (the server
// is started by run_with_postgres.sh, which passes MIRTA_PG_CONNECTION).
#include "SmallTmpfs.h"
#include "hostTestSupport.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string odbcError(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6] = {}, text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
}

// A connection as the host would open it.
class Database {
public:
    explicit Database(const std::string& connectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        std::string text = connectionString;
        const SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                              SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        connected_ = SQL_SUCCEEDED(rc);
        if (!connected_) error_ = odbcError(SQL_HANDLE_DBC, dbc_);
    }
    ~Database() {
        if (connected_) SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    bool connected() const { return connected_; }
    const std::string& error() const { return error_; }
    SQLHDBC handle() const { return dbc_; }

    // Runs a statement of the test's own; failures fail the test.
    void exec(const std::string& sql) {
        SQLHSTMT stmt;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
        std::string text = sql;
        const SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
            << sql << ": " << odbcError(SQL_HANDLE_STMT, stmt);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    std::string error_;
};

struct Backend {
    const char* name;
    const char* blobType;
};

void PrintTo(const Backend& b, std::ostream* os) { *os << b.name; }

class OdbcDocuments : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        std::string connection;
        if (std::string(GetParam().name) == "sqlite") {
            connection = std::string("Driver=") + SQLITE_ODBC_DRIVER + ";Database=" +
                         dir.path("docs.db") + ";LoadExt=" + SQLITE_DATALENGTH_EXTENSION + ";";
        } else {
            const char* pg = std::getenv("MIRTA_PG_CONNECTION");
            ASSERT_TRUE(pg && *pg) << "run this program through run_with_postgres.sh";
            connection = pg;
        }
        db = std::make_unique<Database>(connection);
        ASSERT_TRUE(db->connected()) << db->error();
        db->exec("DROP TABLE IF EXISTS docs");
        db->exec(std::string("CREATE TABLE docs (iddoc INTEGER PRIMARY KEY, documento ") +
                 GetParam().blobType + ")");
    }

    // Stores `bytes` as document `id` through LoadBin.
    int store(int id, const std::string& bytes) {
        writeBytes(dir.path("in"), bytes);
        const std::string sql =
            "INSERT INTO docs (iddoc, documento) VALUES (" + std::to_string(id) + ", ?)";
        return mirta().LoadBin(db->handle(), sql.c_str(), dir.path("in").c_str());
    }
    int save(const std::string& query, const std::string& path) {
        return mirta().SaveBin(db->handle(), query.c_str(), path.c_str());
    }
    static std::string selectDocument(int id) {
        return "SELECT documento, datalength(documento) FROM docs WHERE iddoc=" +
               std::to_string(id);
    }
    int equal(const char* id, const std::string& path) {
        return mirta().EqualBin(db->handle(), "docs", id, path.c_str());
    }

    TempDir dir;
    std::unique_ptr<Database> db;
};

std::string everyByteValue(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7) ^ (i >> 8));
    return bytes;
}

}  // namespace

TEST_P(OdbcDocuments, DocumentsRoundTripByteForByte) {
    const std::string sizes[] = {"", "\x00", everyByteValue(256), everyByteValue(3 << 20)};
    int id = 1;
    for (const std::string& bytes : sizes) {
        ASSERT_EQ(store(id, bytes), 0) << bytes.size() << " bytes";
        const std::string out = dir.path("out" + std::to_string(id));
        ASSERT_EQ(save(selectDocument(id), out), 0) << bytes.size() << " bytes";
        EXPECT_EQ(readBytes(out), bytes) << bytes.size() << " bytes";
        writeBytes(dir.path("cmp"), bytes);
        EXPECT_EQ(equal(std::to_string(id).c_str(), dir.path("cmp")), 0) << bytes.size();
        ++id;
    }
}

TEST_P(OdbcDocuments, LoadBinReportsEachFailure) {
    EXPECT_EQ(mirta().LoadBin(db->handle(), "INSERT INTO docs VALUES (1, ?)",
                              dir.path("missing").c_str()),
              -3);
    writeBytes(dir.path("in"), "data");
    EXPECT_EQ(mirta().LoadBin(db->handle(), nullptr, dir.path("in").c_str()), -4);
    // A statement the database rejects is reported, not passed off as stored.
    EXPECT_LT(mirta().LoadBin(db->handle(), "INSERT INTO no_such_table VALUES (?)",
                              dir.path("in").c_str()),
              -3);
    ASSERT_EQ(store(1, "first"), 0);
    EXPECT_EQ(store(1, "duplicate key"), -5);
    ASSERT_EQ(save(selectDocument(1), dir.path("out")), 0);
    EXPECT_EQ(readBytes(dir.path("out")), "first");
}

TEST_P(OdbcDocuments, SaveBinReportsEachFailure) {
    ASSERT_EQ(store(1, "payload"), 0);
    db->exec("INSERT INTO docs (iddoc, documento) VALUES (2, NULL)");
    EXPECT_EQ(save("SELECT nonsense FROM nowhere", dir.path("out")), -3);
    EXPECT_EQ(mirta().SaveBin(db->handle(), nullptr, dir.path("out").c_str()), -3);
    EXPECT_EQ(save(selectDocument(99), dir.path("out")), -5);
    EXPECT_EQ(save(selectDocument(1), dir.path("no/such/dir/out")), -6);
    EXPECT_FALSE(std::filesystem::exists(dir.path("out")));

    // A NULL document or length is "not read", and an existing file stays as it was.
    writeBytes(dir.path("kept"), "old");
    EXPECT_EQ(save(selectDocument(2), dir.path("kept")), -4);
    EXPECT_EQ(save("SELECT documento, NULL FROM docs WHERE iddoc=1", dir.path("kept")), -4);
    EXPECT_EQ(readBytes(dir.path("kept")), "old");
}

TEST_P(OdbcDocuments, SaveBinThatFailsPartWayLeavesTheExistingFileAlone) {
    ASSERT_EQ(store(1, everyByteValue(1 << 20)), 0);
    const std::string small = dir.path("small");
    std::filesystem::create_directories(small);
    SmallTmpfs tmpfs(small);
    if (!tmpfs.mounted()) GTEST_SKIP() << "a file system that fills up needs a small tmpfs: " << tmpfs.whyNot();
    const std::string out = small + "/out";
    writeBytes(out, "old");
    EXPECT_EQ(save(selectDocument(1), out), -6);
    EXPECT_EQ(readBytes(out), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(small)) ++files;
    EXPECT_EQ(files, 1);
}

TEST_P(OdbcDocuments, SaveBinWritesAtMostTheStatedLength) {
    ASSERT_EQ(store(1, "payload"), 0);
    ASSERT_EQ(save("SELECT documento, 3 FROM docs WHERE iddoc=1", dir.path("short")), 0);
    EXPECT_EQ(readBytes(dir.path("short")), "pay");
    ASSERT_EQ(save("SELECT documento, 100 FROM docs WHERE iddoc=1", dir.path("long")), 0);
    EXPECT_EQ(readBytes(dir.path("long")), "payload");
}

TEST_P(OdbcDocuments, EqualBinComparesSizeThenBytes) {
    ASSERT_EQ(store(7, "0123456789"), 0);
    writeBytes(dir.path("same"), "0123456789");
    writeBytes(dir.path("longer"), "0123456789!");
    writeBytes(dir.path("changed"), "012345678X");
    EXPECT_EQ(equal("7", dir.path("same")), 0);
    EXPECT_EQ(equal("7", dir.path("longer")), 1);
    EXPECT_EQ(equal("7", dir.path("changed")), 2);
    EXPECT_EQ(equal("7", dir.path("missing")), -7);
    EXPECT_EQ(equal("8", dir.path("same")), -5);
    EXPECT_EQ(mirta().EqualBin(db->handle(), "no_such_table", "7", dir.path("same").c_str()), -3);
    EXPECT_EQ(mirta().EqualBin(db->handle(), nullptr, "7", dir.path("same").c_str()), -3);
    EXPECT_EQ(mirta().EqualBin(db->handle(), "docs", nullptr, dir.path("same").c_str()), -3);
    db->exec("INSERT INTO docs (iddoc, documento) VALUES (9, NULL)");
    EXPECT_EQ(equal("9", dir.path("same")), -4);
}

// Hundreds of MiB pass through all three calls.
TEST_P(OdbcDocuments, HugeDocuments) {
    const std::string big = dir.path("big");
    constexpr std::size_t kMiB = 1 << 20;
    const std::size_t total = (std::string(GetParam().name) == "sqlite" ? 300 : 120) * kMiB;
    {
        std::string block = everyByteValue(kMiB);
        std::ofstream out(big, std::ios::binary);
        for (std::size_t at = 0; at < total; at += kMiB) {
            block[0] = static_cast<char>(at / kMiB);
            out.write(block.data(), kMiB);
        }
    }
    ASSERT_EQ(mirta().LoadBin(db->handle(), "INSERT INTO docs (iddoc, documento) VALUES (1, ?)",
                              big.c_str()),
              0);
    EXPECT_EQ(mirta().EqualBin(db->handle(), "docs", "1", big.c_str()), 0);
    ASSERT_EQ(save(selectDocument(1), dir.path("back")), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.path("back")), total);
    char a[41], b[41];
    ASSERT_EQ(mirta().RMDcalc(big.c_str(), a), 1);
    ASSERT_EQ(mirta().RMDcalc(dir.path("back").c_str(), b), 1);
    EXPECT_STREQ(a, b);
}

INSTANTIATE_TEST_SUITE_P(Drivers, OdbcDocuments,
                         ::testing::Values(Backend{"sqlite", "BLOB"}, Backend{"postgres", "BYTEA"}),
                         [](const auto& info) { return std::string(info.param.name); });
