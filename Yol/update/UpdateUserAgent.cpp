#include "UpdateUserAgent.h"

#include "CMD5.h"
#include "CProtocolsManager.h"
#include "CYolString.h"
#include "CYolSystemInfo.h"
#include "YolGuids.h"

#include <cstdlib>

namespace UI {

namespace {

std::string Base64(const CYolString& text) {
    int length = text.Length();
    char* encoded = CYolString::Base64Encode(text.c_str() != nullptr ? text.c_str() : u"", length);
    std::string out = encoded != nullptr ? std::string(encoded, size_t(length)) : std::string();
    std::free(encoded);
    return out;
}

std::string Md5Hex(const std::string& text) {
    unsigned char digest[16];
    CMD5::Hash(text.data(), static_cast<unsigned int>(text.size()), digest);
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : digest) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// The login of the first account of the preferred protocols, in order.
std::string ChosenLogin(Protocols::CProtocolsManager* protocols) {
    const YOL_GUID preferred[] = {JabberYolProtocolGuid, RuvProtocolGuid};
    const int count = protocols->GetAccountCount();
    auto loginOf = [&](unsigned int account) {
        CYolString login;
        protocols->GetAccountString(account, CYolString(u"SrvLogName"), login, false);
        return login.ToUtf8();
    };
    for (const YOL_GUID& wanted : preferred) {
        for (int i = 0; i < count; ++i) {
            const unsigned int account = protocols->GetAccountId(static_cast<unsigned int>(i));
            Protocols::ProtocolRecord record;
            protocols->GetAccountProtocolInfo(record, account);
            if (record.id == wanted)
                return loginOf(account);
        }
    }
    return count > 0 ? loginOf(protocols->GetAccountId(0)) : std::string();
}

std::string UsedLetters(Protocols::CProtocolsManager* protocols) {
    std::string used;
    const int count = protocols->GetAccountCount();
    for (int i = 0; i < count && used.size() < 64; ++i) {
        const unsigned int account = protocols->GetAccountId(static_cast<unsigned int>(i));
        Protocols::Status status = Protocols::Offline;
        if (protocols->GetStatus(account, status) != 0 || !Protocols::IsConnectedStatus(status))
            continue;
        Protocols::ProtocolRecord record;
        protocols->GetAccountProtocolInfo(record, account);
        const char16_t first = record.displayName.Length() > 0 ? record.displayName.At(0) : u'?';
        // A protocol's name must not be able to end the header line.
        used += (first > 0x20 && first < 0x7F && first != u')' && first != u';') ? char(first) : '?';
    }
    return used;
}

}  // namespace

std::string BuildUserAgent(Protocols::CProtocolsManager* protocols) {
    const int version = CYolSystemInfo::YolVersion();
    std::string id, used;
    if (protocols != nullptr) {
        const std::string login = ChosenLogin(protocols);
        if (!login.empty())
            id = Md5Hex(login);
        used = UsedLetters(protocols);
    }
    std::string line = "User-Agent: Mozilla/4.0 (compatible; yolpdappc" + std::to_string(version) + "; Windows CE " +
                       std::to_string(kPlatformMajor) + "." + std::to_string(kPlatformMinor) + "; id:" + id +
                       "; uuid=" + Base64(CYolSystemInfo::DeviceID()) + "; cur_ver=" + std::to_string(version) +
                       "; model=" + Base64(CYolSystemInfo::DeviceName()) + "; used=" + used + ")";
    return line;
}

}  // namespace UI
