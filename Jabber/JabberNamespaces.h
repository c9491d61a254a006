#pragma once
// Every namespace, placeholder and fixed name the XMPP plug-in writes or
// matches, defined once so that the stanza builders and the handlers that
// recognise the same stanzas can never drift apart. Each area keeps its
// constants in its own block.

// ---- connection and router ----
namespace JabberNs {
inline constexpr const char* Client = "jabber:client";
inline constexpr const char* Streams = "http://etherx.jabber.org/streams";
inline constexpr const char* Compress = "http://jabber.org/protocol/compress";
inline constexpr const char* Stanzas = "urn:ietf:params:xml:ns:xmpp-stanzas";
inline constexpr const char* Version = "jabber:iq:version";
inline constexpr const char* Ping = "urn:xmpp:ping";
inline constexpr const char* DiscoInfo = "http://jabber.org/protocol/disco#info";
inline constexpr const char* DiscoItems = "http://jabber.org/protocol/disco#items";
inline constexpr const char* Ibb = "http://jabber.org/protocol/ibb";
inline constexpr const char* Bytestreams = "http://jabber.org/protocol/bytestreams";
inline constexpr const char* Si = "http://jabber.org/protocol/si";
inline constexpr const char* SiFileTransfer = "http://jabber.org/protocol/si/profile/file-transfer";
inline constexpr const char* FeatureNeg = "http://jabber.org/protocol/feature-neg";
inline constexpr const char* XData = "jabber:x:data";
inline constexpr const char* Amp = "http://jabber.org/protocol/amp";
inline constexpr const char* Roster = "jabber:iq:roster";
}  // namespace JabberNs

// Ids of the iqs this plug-in sends: the prefix, then the account's request
// counter in decimal.
inline constexpr const char* kIqIdPrefix = "yol_";

// What the software-version reply names.
inline constexpr const char* kClientNamePrefix = "Yol Mobile ";
inline constexpr const char* kOsName = "WM";
inline constexpr unsigned int kProgramVersion = 2142;

// ---- login ----
namespace JabberNs {
inline constexpr const char* Sasl = "urn:ietf:params:xml:ns:xmpp-sasl";
inline constexpr const char* Bind = "urn:ietf:params:xml:ns:xmpp-bind";
inline constexpr const char* Session = "urn:ietf:params:xml:ns:xmpp-session";
inline constexpr const char* IqAuth = "jabber:iq:auth";
}  // namespace JabberNs

// ---- contacts ----
namespace JabberNs {
inline constexpr const char* YolStatus = "yol:x:status";
inline constexpr const char* Avatar = "jabber:x:avatar";
inline constexpr const char* VCard = "vcard-temp";
}  // namespace JabberNs

// ---- messages ----
namespace JabberNs {
inline constexpr const char* YolGotAccount = "yol:x:gotaccount";
inline constexpr const char* YolSpecMsg = "yol:x:specmsg";
inline constexpr const char* YolMailNotify = "yol:mail:notify";
inline constexpr const char* PubsubEvent = "http://jabber.org/protocol/pubsub#event";
inline constexpr const char* Address = "http://jabber.org/protocol/address";
inline constexpr const char* ChatStates = "http://jabber.org/protocol/chatstates";
inline constexpr const char* Receipts = "urn:xmpp:receipts";
inline constexpr const char* Encrypted = "jabber:x:encrypted";
inline constexpr const char* Delay = "jabber:x:delay";
inline constexpr const char* Oob = "jabber:x:oob";
inline constexpr const char* MucUser = "http://jabber.org/protocol/muc#user";
inline constexpr const char* Conference = "jabber:x:conference";
inline constexpr const char* Event = "jabber:x:event";
}  // namespace JabberNs
// The signed link into the web mailbox: the registration check that signs
// the user in, and the mailbox start page it sends the browser on to.
inline constexpr const char* kWebmailCheckUrl = "http://passport.yol.im/reg/test";
inline constexpr const char* kWebmailStartUrl = "http://mail.yol.im/";
inline constexpr const char* kWebmailProject = "yolvantum";
// Mixed into the link's hash; the mailbox service knows it too.
inline constexpr const char* kWebmailKey = "4KX.207pR.ZMQ=bT|";

// ---- caps ----
namespace JabberNs {
inline constexpr const char* Caps = "http://jabber.org/protocol/caps";
}  // namespace JabberNs
// The node our capabilities are announced under and answered for.
inline constexpr const char* kOwnCapsNode = "http://yol.im/caps";
// The own extended-status namespace.
inline constexpr const char* kXStatusNs = "http://yol.im/x-status";

// ---- descriptions and settings ----
// The preset flavours' services: the login domains (the first is the default
// server), the hosts they are reached at, and the own service's bytestream
// proxy.
inline constexpr const char16_t* kYolDomain = u"yol.im";
inline constexpr const char16_t* kYolHost = u"xmpp.yol.im";
inline constexpr const char16_t* kYolFileTransferProxy = u"proxy.yol.im";
inline constexpr const char16_t* kYandexDomain = u"ya.ru";
inline constexpr const char16_t* kYandexSecondDomain = u"yandex.ru";
inline constexpr const char16_t* kYandexHost = u"xmpp.yandex.ru";
inline constexpr const char16_t* kGoogleTalkDomain = u"gmail.com";
inline constexpr const char16_t* kGoogleTalkHost = u"talk.google.com";
inline constexpr const char16_t* kLiveJournalDomain = u"livejournal.com";
inline constexpr const char16_t* kVKontakteDomain = u"vk.com";
inline constexpr const char16_t* kVKontakteSecondDomain = u"vkontakte.ru";
inline constexpr const char16_t* kVKontakteHost = u"vkmessenger.com";
