#pragma once
// Where the version check and the update download go, and what they keep
// between runs, in the settings section of the null identifier:
//   "VerCheckHost" / "VerCheckPort" / "VerCheckPath"  the version server
//   "UpdateHost" / "UpdatePort" / "UpdatePath"         the download server;
//       its path holds "%d" where the version goes
//   "VerCheckTime"      Unix time of the last version answer evaluated
//   "NewVersionNumber"  the version whose package is being or was downloaded
//   "NewcabSize"        that package's full size as the server announced it
// A missing or unusable server setting takes its default below.
//
// The package is kept as "yolpda.cab" in the program folder.

#include "CYolString.h"

#include <cstdint>
#include <string>

namespace Database {
class CYolDatabase;
}

namespace UI {

struct TUpdateServer {
    std::string host;
    unsigned int port = 80;
    std::string path;  // ready for the request line
};

class CYolUpdateSettings {
public:
    static constexpr const char* kDefaultHost = "yol.example.org";
    static constexpr unsigned int kDefaultPort = 80;
    static constexpr const char* kDefaultCheckPath = "/newpda_ppc.php";
    static constexpr const char* kDefaultUpdatePath = "/pda/yolpda%d.cab";

    // Without a database every value is its default and nothing is kept.
    explicit CYolUpdateSettings(Database::CYolDatabase* db) : db(db) {}

    TUpdateServer VersionServer() const;
    TUpdateServer DownloadServer(unsigned int version) const;

    // 0 when absent.
    unsigned long Get(const char16_t* key) const;
    bool Has(const char16_t* key) const;
    void Set(const char16_t* key, unsigned long value) const;

    // A package of at least that version lies complete in the program folder.
    bool IsUpdateReady(unsigned int version) const;
    // No version answer was evaluated since today's local midnight.
    bool IsCheckDue(int64_t now) const;
    // Forgets the package: deletes the file, both keys to 0.
    void ForgetPackage() const;

    static CYolString CabPath();
    // The file's size, -1 when it does not exist.
    static int64_t FileSize(const CYolString& path);
    static int64_t LocalMidnight(int64_t now);

private:
    TUpdateServer Server(const char16_t* hostKey, const char16_t* portKey, const char16_t* pathKey,
                         const char* defaultPath) const;

    Database::CYolDatabase* db;
};

inline constexpr const char16_t* kVerCheckTimeKey = u"VerCheckTime";
inline constexpr const char16_t* kNewVersionKey = u"NewVersionNumber";
inline constexpr const char16_t* kNewCabSizeKey = u"NewcabSize";

}  // namespace UI
