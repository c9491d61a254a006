#include "CYolUpdateSettings.h"

#include "CYolDatabase.h"
#include "CYolPath.h"
#include "UpdateReply.h"
#include "YolGuids.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace UI {

namespace {

std::string WithVersion(std::string path, unsigned int version) {
    const size_t mark = path.find("%d");
    if (mark != path.npos)
        path.replace(mark, 2, std::to_string(version));
    return path;
}

}  // namespace

TUpdateServer CYolUpdateSettings::Server(const char16_t* hostKey, const char16_t* portKey, const char16_t* pathKey,
                                         const char* defaultPath) const {
    TUpdateServer server{kDefaultHost, kDefaultPort, defaultPath};
    if (db == nullptr)
        return server;
    CYolString text;
    if (db->GetString(ServicesManagerGuid, CYolString(hostKey), text) && UpdateWire::IsRequestHost(text.ToUtf8()))
        server.host = text.ToUtf8();
    unsigned long port = 0;
    if (db->GetDword(ServicesManagerGuid, CYolString(portKey), port) && port > 0 && port <= 65535)
        server.port = static_cast<unsigned int>(port);
    if (db->GetString(ServicesManagerGuid, CYolString(pathKey), text) && UpdateWire::IsRequestPath(text.ToUtf8()))
        server.path = text.ToUtf8();
    return server;
}

TUpdateServer CYolUpdateSettings::VersionServer() const {
    return Server(u"VerCheckHost", u"VerCheckPort", u"VerCheckPath", kDefaultCheckPath);
}

TUpdateServer CYolUpdateSettings::DownloadServer(unsigned int version) const {
    TUpdateServer server = Server(u"UpdateHost", u"UpdatePort", u"UpdatePath", kDefaultUpdatePath);
    server.path = WithVersion(server.path, version);
    return server;
}

unsigned long CYolUpdateSettings::Get(const char16_t* key) const {
    unsigned long value = 0;
    if (db == nullptr || !db->GetDword(ServicesManagerGuid, CYolString(key), value))
        return 0;
    return value;
}

bool CYolUpdateSettings::Has(const char16_t* key) const {
    unsigned long value = 0;
    return db != nullptr && db->GetDword(ServicesManagerGuid, CYolString(key), value);
}

void CYolUpdateSettings::Set(const char16_t* key, unsigned long value) const {
    if (db != nullptr)
        db->SetDword(ServicesManagerGuid, CYolString(key), value);
}

bool CYolUpdateSettings::IsUpdateReady(unsigned int version) const {
    if (!Has(kNewVersionKey) || !Has(kNewCabSizeKey) || Get(kNewVersionKey) < version)
        return false;
    const int64_t size = FileSize(CabPath());
    return size >= 0 && uint64_t(size) == Get(kNewCabSizeKey) && size > 0;
}

bool CYolUpdateSettings::IsCheckDue(int64_t now) const {
    return int64_t(Get(kVerCheckTimeKey)) < LocalMidnight(now);
}

void CYolUpdateSettings::ForgetPackage() const {
    ::unlink(CYolPath::ToNative(CabPath()).c_str());
    Set(kNewVersionKey, 0);
    Set(kNewCabSizeKey, 0);
}

CYolString CYolUpdateSettings::CabPath() { return CYolPath::Path({CYolString(u"yolpda.cab")}); }

int64_t CYolUpdateSettings::FileSize(const CYolString& path) {
    struct stat st {};
    if (::stat(CYolPath::ToNative(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return int64_t(st.st_size);
}

int64_t CYolUpdateSettings::LocalMidnight(int64_t now) {
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return int64_t(std::mktime(&local));
}

}  // namespace UI
