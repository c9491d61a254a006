#pragma once
// The MRIM wire format: the 44-byte packet header, the packet types, and the
// two body encodings (UL, a 32-bit little-endian word; LPS, a UL byte count
// and that many bytes). Everything the plug-in sends is built with
// MrimBodyWriter and BuildMrimPacket; everything it receives is read through
// MrimBodyReader, which never reads past the body it was given: a count that
// runs past the end fails the read and every read after it.
//
// Which text encoding a field uses is fixed per field and never marked in
// the data, so the writer and the reader name it at every call.

#include "CByteReader.h"
#include "CYolString.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Mrim {

inline constexpr uint32_t kMagic = 0xDEADBEEF;
inline constexpr uint32_t kVersion = 0x00010013;
// The file-transfer proxy channel speaks an older version.
inline constexpr uint32_t kProxyVersion = 0x00010009;
inline constexpr size_t kHeaderSize = 44;

}  // namespace Mrim

enum class MrimPacketType : uint32_t {
    Hello = 0x1001,
    HelloAck = 0x1002,
    LoginAck = 0x1004,
    LoginReject = 0x1005,
    Ping = 0x1006,
    Message = 0x1008,
    IncomingMessage = 0x1009,
    UserStatus = 0x100F,
    MessageReceived = 0x1011,
    MessageStatus = 0x1012,
    Logout = 0x1013,
    ConnectionParams = 0x1014,
    UserParams = 0x1015,
    AddContact = 0x1019,
    AddContactAck = 0x101A,
    ModifyContact = 0x101B,
    ModifyContactAck = 0x101C,
    OfflineMessage = 0x101D,
    DeleteOfflineMessage = 0x101E,
    Authorize = 0x1020,
    AuthorizeAck = 0x1021,
    ChangeStatus = 0x1022,
    GetMailSession = 0x1024,
    MailSession = 0x1025,
    FileTransfer = 0x1026,
    FileTransferAck = 0x1027,
    UserDetails = 0x1028,
    SearchRequest = 0x1029,
    MailboxStatus = 0x1033,
    ContactList = 0x1037,
    Login = 0x1038,
    Proxy = 0x1044,
    ProxyAck = 0x1045,
    // On the transfer proxy's own connection.
    ProxyHello = 0x1046,
    ProxyHelloAck = 0x1047,
    NewMail = 0x1048,
};

struct MrimHeader {
    uint32_t magic = Mrim::kMagic;
    uint32_t version = Mrim::kVersion;
    uint32_t sequence = 0;
    uint32_t type = 0;
    uint32_t length = 0;
    uint32_t fromAddress = 0;
    uint32_t fromPort = 0;
    // 16 reserved bytes follow on the wire, always zero on send.
};

constexpr uint32_t Wire(MrimPacketType type) { return static_cast<uint32_t>(type); }

// Reads the header words from 44 bytes (the caller checked there are 44).
MrimHeader ReadMrimHeader(const unsigned char* bytes);

// Header and body as one block, ready for one send.
std::string BuildMrimPacket(MrimPacketType type, uint32_t sequence, std::string_view body,
                            uint32_t version = Mrim::kVersion);

// One received packet: its header and a view of its body (inside the
// receive buffer: valid only while the packet is being handled).
struct MrimPacket {
    MrimHeader header;
    std::string_view body;
};

class MrimBodyWriter {
public:
    MrimBodyWriter& UL(uint32_t value);
    // A UL byte count and the bytes as they are.
    MrimBodyWriter& LPS(std::string_view bytes);
    MrimBodyWriter& LpsUtf8(const CYolString& text);
    MrimBodyWriter& LpsUtf16(const CYolString& text);
    MrimBodyWriter& Lps1251(const CYolString& text);
    // Bytes without a count.
    MrimBodyWriter& Raw(std::string_view bytes);
    const std::string& Bytes() const { return bytes; }
    std::string Take() { return std::move(bytes); }

private:
    std::string bytes;
};

class MrimBodyReader {
public:
    explicit MrimBodyReader(std::string_view body)
        : reader(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size())) {}
    bool UL(uint32_t& value) { return reader.Read32LE(value); }
    // The next LPS's bytes; an empty view and a failed reader when its count
    // runs past the body.
    std::string_view LPS();
    CYolString LpsUtf8();
    CYolString LpsUtf16();
    CYolString Lps1251();
    bool Skip(int n) { return reader.Skip(n); }
    // The next n bytes; empty when they are not all there.
    std::string_view Bytes(int n);
    std::string_view Rest();
    int Remaining() const { return reader.Remaining(); }
    bool Failed() const { return reader.Failed(); }

private:
    CByteReader reader;
};

// Text in the encodings of the wire, both ways.
std::string ToUtf8Bytes(const CYolString& text);
std::string ToUtf16Bytes(const CYolString& text);
std::string To1251Bytes(const CYolString& text);
CYolString FromUtf16Bytes(std::string_view bytes);
CYolString From1251Bytes(std::string_view bytes);
CYolString FromUtf8Bytes(std::string_view bytes);
