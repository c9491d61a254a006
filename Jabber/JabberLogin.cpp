// The account's side of its login: what the login asks of the connection,
// and going online once the session is open.

#include "CJabberAccount.h"

#include "JabberPlugin.h"
#include "JabberStrings.h"

bool CJabberAccount::StartCompression() { return connection.StartCompression(); }

void CJabberAccount::ActivateCompression() { connection.ActivateCompression(); }

void CJabberAccount::ResetStream() { connection.ResetStream(); }

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
