#include "support/SystemFaults.h"

#include <sqlite3.h>
#include <sys/stat.h>

bool CanRefuseRegistryValueWrites() { return true; }
bool CanMakePipes() { return true; }
bool CanMoveDocumentsFolder() { return true; }
bool MakePipe(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }
bool NamesMayHoldControlCharacters() { return true; }
bool CanMakeLinks() { return true; }
bool RegistryNestsDeeperThanWindows() { return true; }
bool HeldFilesCanBeRenamed() { return true; }

bool RefuseRegistryValueWrites(const std::string& registryLocation, bool refuse) {
    // A trigger in the registry database: the program's own connection sees it at its
    // next statement and reports the write as failed.
    const char* sql = refuse ? "CREATE TRIGGER full_insert BEFORE INSERT ON vals BEGIN SELECT RAISE(ABORT, 'full'); END;"
                             "CREATE TRIGGER full_update BEFORE UPDATE ON vals BEGIN SELECT RAISE(ABORT, 'full'); END;"
                           : "DROP TRIGGER full_insert; DROP TRIGGER full_update;";
    sqlite3* db = nullptr;
    const bool done = sqlite3_open(registryLocation.c_str(), &db) == SQLITE_OK &&
                      sqlite3_busy_timeout(db, 5000) == SQLITE_OK &&
                      sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}
