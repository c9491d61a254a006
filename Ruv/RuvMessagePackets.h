#pragma once
// The messaging packets the account sends: a message on channel 1 (plain,
// UTF-16 or code page text), a message through the server relay on channel
// 2 (UTF-8 or code page text), the request for a peer's extended status
// (through the relay too), the acknowledgement of a received message and the
// answer to a peer's extended-status request. Each starts with the message
// header: the two cookie words, the channel and the peer's screen name.

#include "CFlapPacket.h"
#include "CYolString.h"

struct RuvCookie {
    uint32_t first = 0;  // the message id
    uint32_t second = 0;
};

class CIcbmPacket : public CSnacPacket {
protected:
    CIcbmPacket(uint16_t sequence, uint16_t subtype, uint32_t requestId, RuvCookie cookie, uint16_t channel,
                const CYolString& screenName)
        : CSnacPacket(sequence, 0x04, subtype, requestId), cookie(cookie), icbmChannel(channel),
          screenName(screenName) {}
    void PackIcbmHeader(OscarWriter& out) const;
    void PackAnswerStart(OscarWriter& out, uint16_t messageSequence) const;

    RuvCookie cookie;
    uint16_t icbmChannel;
    CYolString screenName;
};

class CPlainMessagePacket final : public CIcbmPacket {
public:
    CPlainMessagePacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, const CYolString& screenName,
                        const CYolString& text, bool unicode)
        : CIcbmPacket(sequence, 0x06, requestId, cookie, 1, screenName), text(text), unicode(unicode) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString text;
    bool unicode;
};

class CRelayMessagePacket final : public CIcbmPacket {
public:
    CRelayMessagePacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, const CYolString& screenName,
                        const CYolString& text, bool utf8)
        : CIcbmPacket(sequence, 0x06, requestId, cookie, 2, screenName), text(text), utf8(utf8) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString text;
    bool utf8;
};

// Asks a peer for the title and description of its extended status
// `number` (1 to 35); `ownLogin` names the asker inside the request.
class CXStatusRequestPacket final : public CIcbmPacket {
public:
    CXStatusRequestPacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, const CYolString& screenName,
                          const CYolString& ownLogin, int number)
        : CIcbmPacket(sequence, 0x06, requestId, cookie, 2, screenName), ownLogin(ownLogin), number(number) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString ownLogin;
    int number;
};

class CMessageAckPacket final : public CIcbmPacket {
public:
    CMessageAckPacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, uint16_t channel,
                      const CYolString& screenName, uint16_t messageSequence)
        : CIcbmPacket(sequence, 0x0B, requestId, cookie, channel, screenName), messageSequence(messageSequence) {}

private:
    void WritePayload(OscarWriter& out) const override;
    uint16_t messageSequence;
};

// ---- file-transfer rendezvous (channel 2) ----

// What the rendezvous packets name: the transfer's cookie and peer, and the
// proxy session the peer is to join.
struct RuvRendezvousTarget {
    RuvCookie cookie;
    CYolString screenName;
    uint32_t address = 0;  // IPv4, as the wire holds it
    uint16_t port = 0;
};

// Offers one file: its name (UTF-8 on the wire) and size, under the
// rendezvous request number `requestNumber`.
class CFileOfferPacket final : public CIcbmPacket {
public:
    CFileOfferPacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, const CYolString& screenName,
                     const CYolString& fileName, uint32_t fileSize, uint16_t requestNumber)
        : CIcbmPacket(sequence, 0x06, requestId, cookie, 2, screenName), fileName(fileName), fileSize(fileSize),
          requestNumber(requestNumber) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString fileName;
    uint32_t fileSize;
    uint16_t requestNumber;
};

// The bare rendezvous answer: 0 request, 1 cancel, 2 accept.
class CRendezvousReplyPacket final : public CIcbmPacket {
public:
    static constexpr uint32_t kRequestId = 6;
    CRendezvousReplyPacket(uint16_t sequence, RuvCookie cookie, const CYolString& screenName, uint16_t type)
        : CIcbmPacket(sequence, 0x06, kRequestId, cookie, 2, screenName), type(type) {}

private:
    void WritePayload(OscarWriter& out) const override;
    uint16_t type;
};

// Refuses (or cancels) a transfer: the client error answer with reason 3.
class CRendezvousRefusePacket final : public CIcbmPacket {
public:
    static constexpr uint32_t kRequestId = 11;
    CRendezvousRefusePacket(uint16_t sequence, RuvCookie cookie, const CYolString& screenName)
        : CIcbmPacket(sequence, 0x0B, kRequestId, cookie, 2, screenName) {}

private:
    void WritePayload(OscarWriter& out) const override;
};

// The sending side tells the peer where its proxy session waits
// (request number 4).
class CProxyRedirectPacket final : public CIcbmPacket {
public:
    static constexpr uint32_t kRequestId = 0x00010006;
    CProxyRedirectPacket(uint16_t sequence, const RuvRendezvousTarget& target)
        : CIcbmPacket(sequence, 0x06, kRequestId, target.cookie, 2, target.screenName), target(target) {}

private:
    void WritePayload(OscarWriter& out) const override;
    RuvRendezvousTarget target;
};

// The receiving side tells the peer where its proxy session waits
// (request number 2).
class CDirectRedirectPacket final : public CIcbmPacket {
public:
    static constexpr uint32_t kRequestId = 6;
    CDirectRedirectPacket(uint16_t sequence, const RuvRendezvousTarget& target)
        : CIcbmPacket(sequence, 0x06, kRequestId, target.cookie, 2, target.screenName), target(target) {}

private:
    void WritePayload(OscarWriter& out) const override;
    RuvRendezvousTarget target;
};

// Answers a peer's extended-status request with the own status `number`,
// its title and description (cut to their limits and escaped); `numberText`
// is the own login.
class CXtrazResponsePacket final : public CIcbmPacket {
public:
    CXtrazResponsePacket(uint16_t sequence, uint32_t requestId, RuvCookie cookie, uint16_t channel,
                         const CYolString& numberText, const CYolString& screenName, int number,
                         const CYolString& title, const CYolString& description, uint16_t messageSequence)
        : CIcbmPacket(sequence, 0x0B, requestId, cookie, channel, screenName), numberText(numberText),
          number(number), title(title), description(description), messageSequence(messageSequence) {}

private:
    void WritePayload(OscarWriter& out) const override;
    CYolString numberText;
    int number;
    CYolString title;
    CYolString description;
    uint16_t messageSequence;
};
