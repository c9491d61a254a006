// The running exchange of the server store: from taking an operation off the
// queue to the result event. Everything here runs on the store's thread.

#include "CServerStore.h"

#include "CEventArg.h"
#include "CServerStoreFrames.h"
#include "CSocketsManager.h"
#include "CYolClock.h"
#include "CYolDatabase.h"
#include "YolGuids.h"
#include "ValueNames.h"

#include <cstring>

using namespace ServerStoreWire;

namespace {

constexpr char16_t kHostKey[] = u"Host";
constexpr char16_t kPortKey[] = u"Port";
constexpr char16_t kDomainKey[] = u"Domain";
constexpr const char16_t* kLoginKey = ValueName::SrvLogName;
constexpr char16_t kPasswordKey[] = u"SrvLogPass";
constexpr char16_t kHashedKey[] = u"SrvLogHashed";
constexpr unsigned int kDefaultPort = 80;
constexpr unsigned int kSecurePort = 443;

// Failures on the way to the server or back, after which the same save may
// well go through later.
bool WorthRetrying(int result) {
    return result == CServerStore::ResultConnectFailed || result == CServerStore::ResultTimedOut ||
           result == CServerStore::ResultIncomplete || result >= 500;
}

std::string Setting(Database::CYolDatabase* db, const char16_t* key) {
    CYolString value;
    if (db == nullptr || !db->GetString(ServerStoreGuid, key, value))
        return {};
    return value.ToUtf8();
}

}  // namespace

void CServerStore::RunNextOperation() {
    if (current.op != OpNone)
        return;
    {
        CYolCriticalSection::Guard hold(lock);
        if (queue.empty())
            return;
        current = std::move(queue.front());
        queue.pop_front();
    }

    Target target;
    if (int failure = ResolveTarget(target); failure != 0) {
        Finish(failure);
        return;
    }
    Sockets::CSocketsManager* sockets = SocketsService();
    Request parts;
    const bool read = current.op == OpRead;
    parts.path = read ? kReadPath : kSavePath;
    parts.suffix = read ? "pk" : current.op == OpSaveAccountList ? "ac" : "mx";
    parts.withKey = !read;
    parts.key = changeKey;
    parts.domain = target.domain;
    parts.host = target.host;
    parts.login = target.login;
    std::memcpy(parts.digest, target.digest, sizeof parts.digest);
    if (!read) {
        const auto now = static_cast<uint32_t>(CYolClock::Current().Now());
        parts.body = EncodeBlock(current.payload.data(), current.payload.size(), now);
    }
    socket = sockets != nullptr ? sockets->CreateSocket(clientId) : nullptr;
    if (socket == nullptr || (!read && parts.body.empty())) {
        Finish(ResultConnectFailed);
        return;
    }
    request = BuildRequest(parts);

    Sockets::ConnectionSettings settings;
    sockets->GetSettings(settings);
    settings.host = CYolString::FromUtf8(target.host);
    settings.port = target.port;
    settings.secure = target.port == kSecurePort ? 1 : 0;
    watchdog->Arm(++serial, kExchangeTimeoutMs);
    if (sockets->Connect(socket, settings) != 0)
        Finish(ResultConnectFailed);
}

int CServerStore::ResolveTarget(Target& target) {
    MServerStoreAccounts* source = Accounts();
    const unsigned int base = source->GetBaseAccount();
    if (base == 0)
        return ResultNoBaseAccount;

    CYolString name;
    source->GetAccountString(base, kLoginKey, name, false);
    const std::string full = name.ToUtf8();
    const size_t at = full.find('@');
    target.login = full.substr(0, at);
    const std::string loginDomain = at == full.npos ? std::string() : full.substr(at + 1);

    unsigned char hashed = 0;
    source->GetAccountByte(base, kHashedKey, hashed);
    if (hashed != 0) {
        unsigned char stored[32];
        unsigned int size = sizeof stored;
        // A stored hash we cannot read still goes out, as the zero digest:
        // the server refuses it, and the refusal makes the program ask the
        // user for the login again.
        if (!source->GetAccountBlob(base, kPasswordKey, stored, size) || size != sizeof stored ||
            !HashedDigest(stored, target.digest))
            std::memset(target.digest, 0, sizeof target.digest);
        if (target.login.empty())
            return ResultNoCredentials;
    } else {
        CYolString password;
        source->GetAccountString(base, kPasswordKey, password, true);
        if (target.login.empty() || password.IsEmpty())
            return ResultNoCredentials;
        PasswordDigest(target.login, password.ToUtf8(), target.digest);
    }

    // The provider's domain: the setting, else the domain of the login when
    // it names one, else the base account's protocol's first login suffix.
    Database::CYolDatabase* db = DatabaseService();
    std::string domain = Setting(db, kDomainKey);
    if (domain.empty() && IsHostName(loginDomain))
        domain = loginDomain;
    if (domain.empty()) {
        Protocols::ProtocolRecord protocol;
        source->GetAccountProtocolInfo(protocol, base);
        if (protocol.loginSuffixes.Count() > 0) {
            domain = protocol.loginSuffixes[0].ToUtf8();
            if (!domain.empty() && domain[0] == '@')
                domain.erase(0, 1);
        }
    }
    std::string host = Setting(db, kHostKey);
    if (host.empty())
        host = domain;
    if (!IsHostName(domain) || !IsHostName(host))
        return ResultNoServer;
    target.domain = domain;
    target.host = host;

    unsigned long port = 0;
    if (db == nullptr || !db->GetDword(ServerStoreGuid, kPortKey, port) || port == 0 || port > 65535)
        port = kDefaultPort;
    target.port = static_cast<unsigned int>(port);
    return 0;
}

void CServerStore::OnConnected(int code) {
    Sockets::CSocketsManager* sockets = SocketsService();
    if (code != 0 || request.empty() || sockets == nullptr) {
        Finish(ResultConnectFailed);
        return;
    }
    watchdog->Touch();
    const int sent = sockets->Send(socket, request.data(), static_cast<int>(request.size()), 0);
    request.clear();
    request.shrink_to_fit();
    if (sent < 0)
        Finish(ResultConnectFailed);
}

void CServerStore::OnData() {
    Sockets::CSocketsManager* sockets = SocketsService();
    if (sockets == nullptr)
        return;
    watchdog->Touch();
    unsigned char chunk[4096];
    int n;
    while ((n = sockets->Receive(socket, chunk, sizeof chunk, 0)) > 0) {
        if (!response.Append(chunk, static_cast<size_t>(n))) {
            // Past a cap: what came so far is all this exchange gets.
            FinishResponse();
            return;
        }
    }
}

void CServerStore::OnClosed() {
    OnData();
    if (socket != nullptr)
        FinishResponse();
}

void CServerStore::OnTimedOut(unsigned int which) {
    if (which == serial && current.op != OpNone && socket != nullptr)
        Finish(ResultTimedOut);
}

void CServerStore::FinishResponse() {
    const std::vector<unsigned char>& bytes = response.Bytes();
    if (!response.HeaderEnded()) {
        Finish(ResultIncomplete);
        return;
    }
    const Response answer = ParseResponse(bytes.data(), bytes.size());
    if (answer.status == 200) {
        if (answer.hasKey) {
            changeKey = answer.key;
            CYolCriticalSection::Guard hold(lock);
            changeKeyCopy = changeKey;
        }
        const size_t received = bytes.size() - answer.bodyOffset;
        if (current.op == OpRead && !response.Overflowed() && received > 0 && answer.BodyLength(bytes.size()) == received)
            ApplyStoredData(bytes.data() + answer.bodyOffset, received);
        PostWork();
    }
    Finish(answer.status);
}

void CServerStore::ApplyStoredData(const unsigned char* body, size_t length) {
    MServerStoreLists* sink = lists.load();
    if (sink == nullptr)
        return;
    Database::CYolDatabase* db = DatabaseService();
    for (const StoredBlock& block : ParseFrames(body, length)) {
        const auto* data = reinterpret_cast<const char*>(block.data.data());
        const auto size = static_cast<unsigned int>(block.data.size());
        const bool accountList = block.type == kAccountListFrame;
        if (accountList)
            sink->ApplyServerAccountList(data, size);
        else
            sink->ParseMetaList(data, size);
        if (block.version > 2 && db != nullptr)
            db->SetDword(ServerStoreGuid, accountList ? u"AcUpd" : u"McUpd", 0);
    }
}

void CServerStore::Finish(int result) {
    watchdog->Disarm();
    DropSocket();
    request.clear();
    response.Clear();
    ReportResult(result);
    OpData done = std::move(current);
    current = OpData{};
    if (done.op != OpRead && WorthRetrying(result) && ++done.attempts < kMaxAttempts)
        Enqueue(std::move(done), true);
}

void CServerStore::DropSocket() {
    if (socket == nullptr)
        return;
    if (Sockets::CSocketsManager* sockets = SocketsService())
        sockets->DestroySocket(socket);
    socket = nullptr;
}
