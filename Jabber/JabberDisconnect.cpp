// Ending a session: disconnect, stream errors, and the reconnection that
// follows a lost connection.

#include "CJabberAccount.h"
#include "CContactList.h"
#include "CYolClock.h"
#include "JabberPlugin.h"
#include "JabberStrings.h"
#include "YolGuids.h"


int CJabberAccount::Disconnect() {
    wantedStatus = Protocols::Offline;
    login.Stop();
    connection.Drop(true);
    if (status == Protocols::Offline)
        return 0;

    status = Protocols::Offline;
    StopTimer(&CJabberAccount::KeepAlive, this);
    ReportStatus(Protocols::Offline);
    if (CL::CContactList* list = ContactListService()) {
        list->BeginUpdate();
        {
            CYolCriticalSection::Guard guard(contacts.Lock());
            for (int i = 0; i < contacts.Count(); ++i) {
                ContactRecord* contact = contacts.GetContactAt(i);
                if (!contact || contact->contactId == 0 || contact->summary.status == Protocols::Offline)
                    continue;
                contact->ClearResources();
                contact->summary.status = Protocols::Offline;
                Protocols::ContactStatusInfo info;
                BuildContactStatus(contact->contactId, &info);
                list->SetContactStatus(contact->contactId, info);
            }
        }
        list->EndUpdate();
    }
    pendingIqs.Clear();
    ClearPendingReceipts();
    vcard.EndSession();
    transfers.EndSession();
    return 0;
}

void CJabberAccount::OnStreamError(const XmlNode& element) {
    if (element.ChildCount() == 0)
        return;
    CYolString message;
    for (int i = 0; i < element.ChildCount(); ++i) {
        const XmlNode& child = element.ChildAt(i);
        message += CYolString::FromUtf8(child.Name());
        message += u": ";
        message += child.Text();
        message += u"\n";
        // Someone else logged in with our resource: reconnecting would only
        // throw them out in turn.
        if (child.Name() == "conflict") {
            Disconnect();
            break;
        }
    }
    if (!message.IsEmpty())
        ShowText(message);
    SendText("</stream:stream>");
}

void CJabberAccount::ShowText(const CYolString& text) {
    SendAccountEvent(Protocols::AccountEvent::ShowText, NewStringEventArg(text));
}

void CJabberAccount::StartReconnect() {
    if (!settings.keepAlive)
        return;
    // One wait at a time: a new failure replaces the wait of an older one.
    StopReconnect();
    if (reconnectStatus == Protocols::Offline || reconnectStatus == Protocols::Connecting)
        return;
    reconnectTarget = reconnectStatus;
    // Due a delay after the failure on the system's clock, which tests
    // replace.
    reconnectWait.Start(CYolClock::Current().TickCount64() + reconnectDelay);
    reconnectDelay = DefaultReconnectDelay;
}

void CJabberAccount::StopReconnect() { reconnectWait.Cancel(); }
