// The account's side of its login: the stream restarts, compression and
// endings the login asks for, and going online once the session is open.

#include "CJabberAccount.h"

#include "JabberPlugin.h"
#include "JabberStrings.h"

bool CJabberAccount::StartCompression() { return compression.Init(); }

void CJabberAccount::ActivateCompression() { compression.Activate(); }

// The parser lets a call-back reset it: it then hands back only the bytes up
// to the element that ended the stream, and the rest belongs to the new one.
void CJabberAccount::ResetStream() {
    parser.Reset();
    parser.SetCallback(
        1, XmlStreamParser::Start,
        [](XmlNode* element, void* login) {
            if (element)
                static_cast<XmppLogin*>(login)->OnStreamHeader(*element);
        }, &login);
    parser.SetCallback(2, XmlStreamParser::End, &CJabberAccount::RouteStanza, this);
    parser.SetDroppedCallback(&CJabberAccount::StanzaDroppedCallback, this);
}

void CJabberAccount::EndStream() { SendText("</stream:stream>"); }

void CJabberAccount::LoginRefused() {
    Disconnect();
    ShowText(JabberPlugin::UiString(JabberStrInvalidLogin));
}

void CJabberAccount::LoginEstablished() {
    status = wantedStatus;
    ReportStatus(status);
    if (settings.keepAlive)
        StartTimer(kKeepAliveMs, &CJabberAccount::KeepAlive, this);

    XmlNode roster = MakeIq("get", -1, CYolString());
    roster.AddQuery(JabberNs::Roster);
    SendIq(roster, [this](const XmlNode& answer) { OnRosterResult(answer); });

    // The server's own features; nothing of the answer is used.
    XmlNode disco = MakeIq("get", -1, settings.server);
    disco.AddQuery(JabberNs::DiscoInfo);
    SendIq(disco, nullptr);
}
