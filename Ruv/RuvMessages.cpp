#include "RuvMessages.h"

#include "CYolClock.h"
#include "CYolRand.h"
#include "RuvMessagePackets.h"
#include "RuvMessageRecords.h"
#include "RuvContactCommands.h"
#include "RuvPackets.h"
#include "RuvText.h"

#include <ctime>

namespace {

constexpr uint32_t kMessageRequestId = 6;
constexpr uint32_t kAckRequestId = 11;
constexpr int kStringOfflineMessage = 35;
constexpr unsigned int kXStatusAnswerKind = 2;
// Relayed messages need a client of this protocol version or later.
constexpr uint16_t kRelayVersion = 8;

CYolString LocalTime(uint32_t unixTime) {
    const std::time_t when = unixTime;
    std::tm local{};
    char text[128] = {};
    if (localtime_r(&when, &local) == nullptr || std::strftime(text, sizeof text, "%c", &local) == 0)
        return {};
    return CYolString::FromUtf8(text);
}

}  // namespace

void RuvMessages::SendMessage(const Protocols::MessageInfo& message) {
    const CRuvListItem* item = list.FindByContact(message.contactId);
    if (message.kind != 0 || item == nullptr || item->type != RuvItemType::Buddy || message.text.IsEmpty())
        return;
    for (const CYolString& chunk : RuvText::Chunks(message.text, kChunk))
        SendChunk(*item, message.messageId, chunk);
}

void RuvMessages::SendChunk(const CRuvListItem& item, uint32_t messageId, const CYolString& text) {
    const RuvCookie cookie{messageId, CYolRand::Rand()};
    const RuvContactPresence& presence = item.presence;
    const bool relay = presence.Has(RuvCapabilities::Relay()) && presence.protocolVersion >= kRelayVersion;
    bool unicode = true;
    if (presence.status != 0 && !CRuvServerList::IsAimName(item.name)) {
        const bool utf8 = presence.Has(RuvCapabilities::Utf8Support());
        if (relay) {
            sink.Send(CRelayMessagePacket(sink.NextSequence(), kMessageRequestId, cookie, item.name, text, utf8));
            return;
        }
        unicode = utf8 || presence.protocolVersion == 0;
    }
    sink.Send(CPlainMessagePacket(sink.NextSequence(), kMessageRequestId, cookie, item.name, text, unicode));
}

void RuvMessages::SendTyping(unsigned int contact, bool typing) {
    CRuvListItem* item = list.FindByContact(contact);
    if (ports.status() <= 1 || item == nullptr || item->presence.status < 2)
        return;
    const int64_t now = CYolClock::Current().Now();
    if (!typing && item->typingStopTime >= now - kTypingStopGap)
        return;
    item->typingStopTime = typing ? 0 : now;
    if (item->presence.Has(RuvCapabilities::Typing()))
        sink.Send(CTypingPacket(sink.NextSequence(), sink.RandomRequestId(), item->name,
                                typing ? CRuvTypingNotification::kBegun : CRuvTypingNotification::kFinished));
}

unsigned int RuvMessages::Receiver(const CYolString& sender, const Protocols::MessageInfo& message) {
    CRuvListItem* item = list.FindBuddy(sender);
    if (item != nullptr && item->contactId != 0 && !model.IsTemporary(item->contactId))
        return item->contactId;
    if (!model.AcceptsStrangers())
        return 0;
    if (item == nullptr) {
        CSsiItem stranger;
        stranger.name = sender;
        list.Items().emplace_back(std::move(stranger), model.TemporaryContact(sender));
        item = &list.Items().back();
    } else if (item->contactId == 0) {
        item->contactId = model.TemporaryContact(sender);
    }
    const unsigned int temporary = item->contactId;
    if (temporary == 0 || !model.PassesAntispam(temporary, message))
        return 0;
    // Let through: the stranger becomes a contact outside groups.
    model.RemoveTemporary(temporary);
    item->contactId = list.AddToContactList(0, sender, sender);
    return item->contactId;
}

void RuvMessages::Deliver(const CYolString& sender, unsigned int kind, int image, const CYolString& text,
                          const CYolString& extra) {
    if ((text.IsEmpty() && extra.IsEmpty() && kind != 3) || !model.Available())
        return;
    Protocols::MessageInfo message;
    message.messageId = CYolRand::Rand();
    message.kind = kind;
    message.flags = image;
    message.text = text;
    message.extra = extra;
    if (const unsigned int contact = Receiver(sender, message)) {
        message.contactId = contact;
        model.ReceiveMessage(contact, message);
    }
}

void RuvMessages::OnMessage(const uint8_t* frame, size_t size) {
    CSnacIncomingMessage message;
    if (message.Unpack(frame, size) == 0)
        return;
    CYolString text = message.GetMessageText();
    if (text.IsEmpty()) {
        if (message.IsXStatusRequest())
            AnswerXStatusRequest(message);
        return;
    }
    const bool stored = message.IsOfflineMessage();
    if (stored) {
        CYolString prefixed = ports.uiString(kStringOfflineMessage);
        prefixed += u" (";
        prefixed += LocalTime(message.GetSentTime());
        prefixed += u")\r\n";
        prefixed += text;
        text = prefixed;
    }
    Deliver(message.sender, stored ? 1 : 0, -1, text);
    if (ports.visibleTo(list.FindBuddy(message.sender)))
        sink.Send(CMessageAckPacket(sink.NextSequence(), kAckRequestId, {message.cookieFirst, message.cookieSecond},
                                    message.channel, message.sender, message.sequence));
}

void RuvMessages::AnswerXStatusRequest(const CSnacIncomingMessage& request) {
    const RuvOwnXStatus own = ports.ownXStatus ? ports.ownXStatus() : RuvOwnXStatus{};
    const CRuvListItem* item = list.FindBuddy(request.sender);
    if (own.id <= 0 || item == nullptr || !ports.visibleTo(item))
        return;
    sink.Send(CXtrazResponsePacket(sink.NextSequence(), kAckRequestId, {request.cookieFirst, request.cookieSecond},
                                   request.channel, own.login, request.sender, own.id, own.title, own.description,
                                   request.sequence));
}

void RuvMessages::OnClientResponse(const uint8_t* frame, size_t size) {
    CSnacClientResponse response;
    if (response.Unpack(frame, size) == 0)
        return;
    CRuvListItem* item = list.FindBuddy(response.sender);
    if (item == nullptr)
        return;
    if (response.kind == ClientResponseKind::Delivered && item->contactId != 0) {
        model.MessageAcknowledged(item->contactId, response.cookieFirst);
    } else if (response.kind == ClientResponseKind::XStatus) {
        // Shown with the picture of the status the contact announces.
        const int number = RuvContactCommands::XStatusOf(*item);
        if (number == 0)
            return;
        item->presence.xStatusTitle = response.xStatusTitle;
        item->presence.xStatusDescription = response.xStatusDescription;
        Deliver(response.sender, kXStatusAnswerKind, CRuvServerList::kXStatusImageBase + number,
                response.xStatusTitle, response.xStatusDescription);
    }
}

void RuvMessages::OnTyping(const uint8_t* frame, size_t size) {
    CRuvTypingNotification notice;
    if (notice.Unpack(frame, size) == 0 || !ports.typingNotices())
        return;
    CRuvListItem* item = list.FindBuddy(notice.sender);
    if (item == nullptr || item->contactId == 0)
        return;
    item->presence.typing = notice.code != CRuvTypingNotification::kFinished;
    model.SetTyping(item->contactId, item->presence.typing);
}
