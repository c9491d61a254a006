#include "RuvMetaService.h"

#include "CByteReader.h"
#include "RuvMetaRecords.h"
#include "RuvRecords.h"

#include <ctime>

namespace {

constexpr int kStringOfflineMessage = 35;
// The service's error code for a search it could not run.
constexpr uint16_t kSearchFailed = 2;

// When a stored message was sent, in the local form of this machine.
CYolString SentTime(const CSnacOfflineMessage& message) {
    std::tm when{};
    when.tm_year = message.year - 1900;
    when.tm_mon = message.month - 1;
    when.tm_mday = message.day;
    when.tm_hour = message.hour;
    when.tm_min = message.minute;
    when.tm_isdst = -1;
    std::mktime(&when);
    char text[128] = {};
    if (std::strftime(text, sizeof text, "%c", &when) == 0)
        return {};
    return CYolString::FromUtf8(text);
}

}  // namespace

void RuvMetaService::StartSearch(int page) {
    if (page == 0)
        request.kind = TSearchRequest::ByNumber;
    else if (page == 1)
        request.kind = TSearchRequest::ByEmail;
    else if (page == 2 || page == 3)
        request.kind = TSearchRequest::WhitePages;
    StartUserSearch();
}

void RuvMetaService::StartUserSearch() {
    const std::optional<uint32_t> own = RuvNumber(ports.ownLogin());
    const uint32_t ownNumber = own.value_or(0);
    const uint32_t requestId = sink.RandomRequestId();
    const auto sequence = static_cast<uint16_t>(sink.RandomRequestId());
    bool sent = false;
    switch (request.kind) {
    case TSearchRequest::ByNumber:
        sent = request.number != 0 &&
               sink.Send(CSearchByNumberPacket(sink.NextSequence(), requestId, ownNumber, sequence, request.number));
        break;
    case TSearchRequest::ByEmail:
        sent = !request.email.IsEmpty() &&
               sink.Send(CSearchByEmailPacket(sink.NextSequence(), requestId, ownNumber, sequence, request.email));
        break;
    case TSearchRequest::WhitePages:
        sent = sink.Send(CWhitePagesSearchPacket(sink.NextSequence(), requestId, ownNumber, sequence, request));
        break;
    default:
        break;
    }
    // The search window waits for its end; a search that never went out
    // must end too.
    if (sent)
        searchRequestId = requestId;
    else
        EndSearch();
}

void RuvMetaService::OnError(const uint8_t* frame, size_t size) {
    CSnacPacket header;
    std::optional<CByteReader> payload = OscarSnacPayload(header, frame, size, 0x15, 0x01);
    unsigned short code = 0;
    if (!payload || !payload->Read16(code))
        return;
    if (code == kSearchFailed || (searchRequestId && header.requestId == *searchRequestId))
        EndSearch();
}

void RuvMetaService::OnReply(const uint8_t* frame, size_t size) {
    CSnacMetaReply reply;
    if (reply.Unpack(frame, size) == 0)
        return;
    switch (reply.dataType) {
    case RuvMeta::kStoredMessage:
        OnStoredMessage(frame, size);
        break;
    case RuvMeta::kStoredMessagesEnd:
        if (const std::optional<uint32_t> own = RuvNumber(ports.ownLogin()))
            sink.Send(CMetaRequestPacket(sink.NextSequence(), sink.RandomRequestId(), *own,
                                         RuvMeta::kDeleteStoredMessages,
                                         static_cast<uint16_t>(sink.RandomRequestId())));
        break;
    case RuvMeta::kInfoReply:
        if (CSnacSearchResult hit; hit.Unpack(frame, size) != 0)
            OnSearchHit(hit);
        else
            details.OnMetaInfoReply(frame, size);
        break;
    default:
        break;
    }
}

void RuvMetaService::OnStoredMessage(const uint8_t* frame, size_t size) {
    CSnacOfflineMessage message;
    if (message.Unpack(frame, size) == 0 || message.text.IsEmpty())
        return;
    CYolString text = ports.uiString(kStringOfflineMessage);
    text += u" (";
    text += SentTime(message);
    text += u")\r\n";
    text += message.text;
    ports.deliver(message.GetSenderText(), 1, -1, text);
}

void RuvMetaService::OnSearchHit(const CSnacSearchResult& hit) {
    const TFoundUser& found = hit.user;
    // A result that found nobody carries no number: no user to show. With
    // no list to hold a found user there is none either, but the last
    // result still ends the search the window waits on.
    if (found.number != 0 && model.Available()) {
        Protocols::UserInfo user;
        user.login = CYolString::FromUtf8(std::to_string(found.number));
        user.contactId = model.TemporaryContact(user.login);
        const int image = found.status == 0 ? kImageOffline : found.status == 1 ? kImageOnline : kImageNotInList;
        user.imageIds.Add(ports.imageId(image));
        user.nick = found.nick;
        user.firstName = found.firstName;
        user.lastName = found.lastName;
        user.email = found.email;
        user.gender = found.gender;
        user.age = found.age;
        if (user.contactId != 0)
            model.SetAlias(user.contactId, found.nick);
        ports.searchResult(&user);
    }
    if (hit.last)
        EndSearch();
}
