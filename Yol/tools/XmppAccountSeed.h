#pragma once
// XmppAccountSeed: a program folder's settings file holding one XMPP
// account that goes online at start, pointed at a server on a given address
// and port without TLS. The core writes the file itself, so it is exactly
// what the program reads. Used where a program folder is made for a server
// on this machine (the demo, the program's tests); not thread-safe: it sets
// the process's program folder while it writes.

#include <string>

struct XmppAccountSeed {
    std::string jid;
    std::string password;
    std::string host = "127.0.0.1";
    unsigned int port = 5222;

    // Writes the settings file into `folder`, which must exist.
    void WriteInto(const std::string& folder) const;
};
