// Shared by the benchmarks: filling a generated data directory.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

// Runs statements on a SQLite file; a failure stops the benchmark, so it
// never measures a half-filled database.
inline void runSql(const std::filesystem::path& db, const std::string& strSql) {
    sqlite3* h = nullptr;
    if (sqlite3_open(db.c_str(), &h) != SQLITE_OK) {
        sqlite3_close(h);
        throw std::runtime_error("open " + db.string());
    }
    char* pszErr = nullptr;
    int rc = sqlite3_exec(h, strSql.c_str(), nullptr, nullptr, &pszErr);
    std::string strErr = pszErr ? pszErr : "";
    sqlite3_free(pszErr);
    sqlite3_close(h);
    if (rc != SQLITE_OK)
        throw std::runtime_error(strErr);
}
