#pragma once
// The User-Agent line both update requests carry:
//   User-Agent: Mozilla/4.0 (compatible; yolpdappc<ver>; Windows CE <maj>.<min>;
//     id:<md5 of the chosen login>; uuid=<base64 device id>; cur_ver=<ver>;
//     model=<base64 device name>; used=<one letter per connected account>)
// The login is the first Yol XMPP account's, else the first OSCAR account's,
// else the first account's. Whatever it is built from, the line stays one
// line of printable characters.

#include <string>

namespace Protocols {
class CProtocolsManager;
}

namespace UI {

// The platform version the maker's server knows this client by.
inline constexpr int kPlatformMajor = 5;
inline constexpr int kPlatformMinor = 2;

// Without a protocols manager, id and used stay empty.
std::string BuildUserAgent(Protocols::CProtocolsManager* protocols);

}  // namespace UI
