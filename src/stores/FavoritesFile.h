#pragma once

#include <string>

class FavoritesSetup;
class URLDB;
class URLInfo;

// The URL database file of Korvadel: one record per URL, each field on its own numbered line
// ("<number>,<value>", CR LF), after a "size=<count>" header. The full form ("urldb.db") holds
// all twenty fields, the light form ("urldb_light.db") six. Before a file is rewritten the old
// one is moved to a numbered backup ("<path>.<n>").
class FavoritesFile {
public:
    static constexpr const char* kDatabaseName = "urldb.db";
    static constexpr const char* kLightDatabaseName = "urldb_light.db";

    // Takes the database path from the folder of the program's data files (the working folder
    // when portable), which the start-up must have decided already.
    FavoritesFile();

    const std::string& GetDatabasePath() const { return databasePath_; }

    // Adds the records of a file of either form to the database (which is not emptied first);
    // a URL already there keeps its record. 1 when any line followed the header; 0 when the
    // file cannot be read, has no "size=" header, or holds only the header.
    int Load(const std::string& path, URLDB& database);
    // Writes the full or the light form of every record, after moving the old file aside with
    // the setup's backup count. When no backup can be made the user is told; the old file is
    // then deleted, or the user picks another path, which replaces `path`. 1 when the whole file
    // was written; 0 when the user cancelled or the file could not be created or written.
    int Save(std::string& path, const URLDB& database, const FavoritesSetup& setup);
    int SaveLight(std::string& path, const URLDB& database, const FavoritesSetup& setup);

    // Moves the file at path to the first free slot "<path>.1" to "<path>.<count>" (count 1 to
    // 5, else 2), or frees the oldest slot for it. 1 when the file was moved or there was none;
    // 0 when no slot could take it.
    static int MakeBackupFile(const std::string& path, int count);

    // Line 16 of both forms: each password byte as two upper-case hexadecimal digits, then
    // Base64; and back. A value that does not decode to pairs gives an empty password.
    static std::string EncodePassword(const std::string& password);
    static std::string DecodePassword(const std::string& value);

private:
    enum class Form { kFull, kLight };
    int Write(std::string& path, const URLDB& database, const FavoritesSetup& setup, Form form);
    static bool PrepareTarget(std::string& path, int backupCount);

    std::string databasePath_;
};
