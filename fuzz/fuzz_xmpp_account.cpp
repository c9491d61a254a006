// What a logged-in XMPP account does with the stanzas its stream hands it:
// messages, presence, iq requests and results (roster pushes, disco, vCard,
// version, ping), mail notices and stream errors, all through the account's
// real handlers on its own queue thread, with the test harness's recording
// sockets in place of the network. The first byte chooses the size of the
// reads the rest arrives in; the rest is what the server sends once the
// account is online with a small roster.
//
// Beyond memory safety: whatever the account writes back is well-formed XML
// (the writer escapes every text and attribute it copies from a stanza).

#include "FuzzSupport.h"
#include "XmlStreamParser.h"
#include "XmppAccountHarness.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace XmppTest;

namespace {

constexpr std::string_view kHeader =
    "<?xml version='1.0'?><stream:stream xmlns='jabber:client' xmlns:stream='http://etherx.jabber.org/streams' "
    "id='s1' from='example.org' version='1.0'>";

// The number in the first "id='yol_N'" of a request that starts with
// `child`; -1 when none went out.
int RequestId(const std::string& sent, std::string_view child) {
    for (size_t at = sent.find("id='yol_"); at != std::string::npos; at = sent.find("id='yol_", at + 1)) {
        const size_t close = sent.find('>', at);
        if (close == std::string::npos || sent.compare(close + 1, child.size() + 1, "<" + std::string(child)) != 0)
            continue;
        return std::atoi(sent.c_str() + at + 8);
    }
    return -1;
}

// SASL PLAIN, resource binding and a roster of a group with two contacts
// and one contact outside groups, as the harness's own sessions do.
bool LogIn(XmppAccountHarness& h) {
    h.SetValue("SrvLogName", "alice@example.org");
    h.SetValue("SrvLogPass", "secret");
    h.Init();
    h.SetStatus(Protocols::Online);
    h.Connected();
    h.Receive(std::string(kHeader) +
              "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'><mechanism>PLAIN</mechanism>"
              "</mechanisms></stream:features>");
    h.Receive("<success xmlns='urn:ietf:params:xml:ns:xmpp-sasl'/>");
    h.Receive(std::string(kHeader) +
              "<stream:features><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'/></stream:features>");
    const int bind = RequestId(h.TakeSent(), "bind");
    if (bind < 0)
        return false;
    h.Receive("<iq type='result' id='yol_" + std::to_string(bind) +
              "'><bind xmlns='urn:ietf:params:xml:ns:xmpp-bind'><jid>alice@example.org/Yol PDA</jid></bind></iq>");
    const int roster = RequestId(h.TakeSent(), "query xmlns='jabber:iq:roster'");
    if (roster < 0)
        return false;
    h.Receive("<iq type='result' id='yol_" + std::to_string(roster) +
              "'><query xmlns='jabber:iq:roster'>"
              "<item jid='bob@example.org' name='Bob' subscription='both'><group>Friends</group></item>"
              "<item jid='carol@example.org' subscription='to'><group>Friends</group></item>"
              "<item jid='dave@example.org' subscription='from'/></query></iq>");
    h.TakeSent();
    h.Events();
    return true;
}


void NoteStanza(XmlNode*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    XmppAccountHarness h;
    Fuzz::Check(LogIn(h));

    const size_t piece = data[0] == 0 ? size : data[0];
    h.ReceiveInPieces(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), piece);
    h.Events();

    XmlStreamParser replies;
    replies.SetCallback(2, XmlStreamParser::End, NoteStanza, nullptr);
    const std::string sent =
        "<stream:stream xmlns:stream='http://etherx.jabber.org/streams'>" + h.TakeSent();
    replies.Feed(sent);
    Fuzz::Check(!replies.Failed());
    return 0;
}
