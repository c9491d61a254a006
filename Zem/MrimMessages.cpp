#include "MrimMessages.h"

#include "CYolRand.h"
#include "CYolTime.h"
#include "MrimOfflineMessage.h"
#include "MrimSmileys.h"

#include <cstdlib>

namespace {

constexpr int kStringAccepted = 24;
constexpr int kStringWakeup = 26;
constexpr int kImageAuthAccept = 23;
constexpr int kImageWakeup = 25;

// The wake-up's rich part: the Base64 of a zlib stream holding UL 2, an RTF
// document (code page 1251, Tahoma, ten colours, one protected paragraph)
// telling a receiver whose program cannot show the signal where to get one
// that can, and the background colour.
constexpr const char kWakeupRich[] =
    "eNptksFuAiEQhjemz9HMsU2swqqJ0Vdob16azAVZWIgsbIDt1ph9dgtaTa1eyPDNPz8zE0ZFUTyPiuKAPkqKzAZ9Onhb03JB"
    "sRJSknwaZmtKZrMDSmdj3JoUEJRWG5RcMR9ELMkcNky5hq2H4YDcGeeTENboRUWw9kJYglvTCXJC5WJxD391tFzew7MulZ1g"
    "lvzB6XrremtxVV/wRU8e46tNDh70fMG5mwG/tOh32lZz7DjFlvkKW++i4BF5WmveVKBL+HSdB572x3gExQIEYSPsXQcMerYT"
    "b10LQdeWmTH0SnOVcx6SVe1ZA5xZ6yIE5foJbFyqFv/Kwhi0DZEZk94y8OG22giQ3jWgYmzDajrdOzPRzbQ5p15kGgak86kd"
    "WylhqgApgHdtu+/XCUAeZnhKv+R4PBY/+QzBxw==";

std::string Base64(std::string_view bytes) {
    int length = static_cast<int>(bytes.size());
    char* encoded = CYolString::Base64Encode(bytes.data(), length);
    if (encoded == nullptr)
        return {};
    std::string out(encoded, static_cast<size_t>(length));
    std::free(encoded);
    return out;
}

std::string DecodeBase64(std::string_view text) {
    std::string copy(text);
    int length = 0;
    char* bytes = CYolString::Base64Decode(copy.c_str(), length);
    if (bytes == nullptr)
        return {};
    std::string out(bytes, static_cast<size_t>(length));
    std::free(bytes);
    return out;
}

}  // namespace

CYolString DecodeMessageText(uint32_t flags, std::string_view bytes) {
    if ((flags & MrimFlag::kCp1251) || !(flags & MrimFlag::kUtf16))
        return From1251Bytes(bytes);
    return FromUtf16Bytes(bytes);
}

std::string MrimMessages::WakeupRichPart() { return std::string(kWakeupRich, sizeof(kWakeupRich)); }

const ZemContact* MrimMessages::Reachable(unsigned int contact) const {
    if (!context.loggedIn())
        return nullptr;
    return list.FindByItem(contact);
}

bool MrimMessages::SendText(const Protocols::MessageInfo& message) {
    const ZemContact* contact = Reachable(message.contactId);
    if (message.kind != MrimMessageKind::kText || contact == nullptr)
        return false;
    std::string body = MrimBodyWriter()
                           .UL(MrimFlag::kUtf16)
                           .LpsUtf8(contact->address)
                           .LpsUtf16(message.text)
                           .LPS({})
                           .Take();
    if (!sink.SendPacket(MrimPacketType::Message, body, message.messageId))
        return false;
    pending[message.messageId] = message.contactId;
    return true;
}

void MrimMessages::SendTyping(unsigned int contact) {
    if (const ZemContact* c = Reachable(contact))
        sink.SendPacket(MrimPacketType::Message, MrimBodyWriter()
                                                     .UL(MrimFlag::kCp1251 | MrimFlag::kTyping)
                                                     .LpsUtf8(c->address)
                                                     .LPS(" ")
                                                     .UL(0)
                                                     .Take());
}

void MrimMessages::SendAuthorize(unsigned int contact) {
    if (const ZemContact* c = Reachable(contact))
        sink.SendPacket(MrimPacketType::Authorize, MrimBodyWriter().LpsUtf8(c->address).Take());
}

void MrimMessages::SendAuthorizationRequest(unsigned int contact, const CYolString& text) {
    const ZemContact* c = Reachable(contact);
    if (c == nullptr)
        return;
    const std::string block = MrimBodyWriter().UL(2).LpsUtf16(c->address).LpsUtf16(text).Take();
    sink.SendPacket(MrimPacketType::Message, MrimBodyWriter()
                                                 .UL(MrimFlag::kAuthorize | MrimFlag::kNoReceipt)
                                                 .LpsUtf8(c->address)
                                                 .LPS(Base64(block))
                                                 .Take());
}

void MrimMessages::SendWakeup(unsigned int contact) {
    if (const ZemContact* c = Reachable(contact))
        sink.SendPacket(MrimPacketType::Message, MrimBodyWriter()
                                                     .UL(MrimFlag::kWakeup | MrimFlag::kRich)
                                                     .LpsUtf8(c->address)
                                                     .LPS(" ")
                                                     .LPS(WakeupRichPart())
                                                     .Take());
}

void MrimMessages::OnIncoming(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t id = 0;
    uint32_t flags = 0;
    body.UL(id);
    body.UL(flags);
    CYolString from = body.LpsUtf8();
    std::string_view text = body.LPS();
    if (body.Failed() || from.IsEmpty())
        return;
    if (HandleIncoming(from, flags, text, CYolString()) && !(flags & MrimFlag::kNoReceipt))
        sink.SendPacket(MrimPacketType::MessageReceived, MrimBodyWriter().LpsUtf8(from).UL(id).Take());
}

bool MrimMessages::HandleIncoming(const CYolString& from, uint32_t flags, std::string_view bytes,
                                  const CYolString& offlineDate) {
    CYolString text;
    unsigned int kind = MrimMessageKind::kText;
    int image = -1;
    bool receipt = false;
    if (flags & MrimFlag::kAuthorize) {
        const std::string block = DecodeBase64(bytes);
        MrimBodyReader request(block);
        uint32_t count = 0;
        if (request.UL(count) && count >= 2) {
            request.LPS();
            std::string_view reason = request.LPS();
            text = (flags & MrimFlag::kCp1251) ? From1251Bytes(reason) : FromUtf16Bytes(reason);
        }
        kind = MrimMessageKind::kAuthorization;
    } else if ((flags & MrimFlag::kTyping) && !(flags & MrimFlag::kOffline)) {
        if (typing.Notice(from, context.now()))
            context.typingStarted();
        return false;
    } else {
        text = DecodeMessageText(flags, bytes);
        receipt = true;
        typing.MessageArrived(from);
    }
    if (flags & MrimFlag::kSystem)
        kind = MrimMessageKind::kSystem;
    if (flags & MrimFlag::kWakeup) {
        kind = MrimMessageKind::kSystem;
        image = context.imageId(kImageWakeup);
        text = context.uiString(kStringWakeup);
    }
    // A cartoon is shown as a notice naming it, or not at all.
    if (flags & MrimFlag::kFlash)
        text = CartoonToText(text);
    if (!text.IsEmpty())
        text = ConvertSmileys(text);
    if (!offlineDate.IsEmpty()) {
        CYolString shown = CYolString(u"Offline message (");
        shown += offlineDate;
        shown += u")\r\n";
        shown += text;
        text = shown;
        kind = MrimMessageKind::kOffline;
    }
    Deliver(from, kind, image, text);
    return receipt;
}

void MrimMessages::Deliver(const CYolString& from, unsigned int kind, int image, const CYolString& text) {
    if ((text.IsEmpty() && kind != MrimMessageKind::kAuthorization) || !model.Available())
        return;
    const ZemContact* contact = list.FindByAddress(from);
    unsigned int id = contact != nullptr ? contact->clItemId : 0;
    // A sender outside the list speaks through a temporary contact; the
    // list's own filter decides what becomes of the message.
    if (id == 0)
        id = model.TemporaryContact(from);
    if (id == 0)
        return;
    Protocols::MessageInfo message;
    message.contactId = id;
    message.messageId = CYolRand::Rand();
    message.kind = kind;
    message.flags = image;
    message.time = CYolTime(static_cast<unsigned int>(context.now()));
    message.text = text;
    model.ReceiveMessage(id, message);
}

void MrimMessages::OnOffline(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    std::string_view id = body.Bytes(8);
    if (id.empty())
        return;
    body.Skip(4);
    MrimOfflineMessage message;
    if (ParseOfflineMessage(body.Rest(), message))
        HandleIncoming(From1251Bytes(message.from), message.flags, message.text, From1251Bytes(message.date));
    // Deleted on the server whether it could be shown or not, so that it
    // does not come again at every login.
    sink.SendPacket(MrimPacketType::DeleteOfflineMessage, id);
}

void MrimMessages::OnMessageStatus(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    uint32_t status = 1;
    if (!body.UL(status) || status != 0)
        return;
    auto it = pending.find(packet.header.sequence);
    if (it == pending.end())
        return;
    model.MessageAcknowledged(it->second, it->first);
    pending.erase(it);
}

void MrimMessages::OnAuthorizeAck(const MrimPacket& packet) {
    MrimBodyReader body(packet.body);
    CYolString address = body.LpsUtf8();
    if (body.Failed() || !list.AuthorizationGranted(address))
        return;
    const ZemContact* contact = list.FindByAddress(address);
    CYolString text = contact != nullptr ? contact->nick : address;
    text += u"\n";
    text += context.uiString(kStringAccepted);
    Deliver(address, MrimMessageKind::kText, context.imageId(kImageAuthAccept), text);
}
