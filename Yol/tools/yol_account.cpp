// yol-account FOLDER JID PASSWORD HOST PORT: writes a program folder's
// settings file with one XMPP account (see XmppAccountSeed.h).

#include "XmppAccountSeed.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: yol-account FOLDER JID PASSWORD HOST PORT\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long port = std::strtoul(argv[5], &end, 10);
    if (*end != '\0' || port == 0 || port > 65535) {
        std::fprintf(stderr, "yol-account: %s is not a port\n", argv[5]);
        return 2;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(argv[1], error)) {
        std::fprintf(stderr, "yol-account: %s is not a folder\n", argv[1]);
        return 1;
    }
    XmppAccountSeed{argv[2], argv[3], argv[4], static_cast<unsigned int>(port)}.WriteInto(argv[1]);
    return 0;
}
