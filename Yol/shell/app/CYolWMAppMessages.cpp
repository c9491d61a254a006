// The main window's private messages: what the queue thread handed over,
// carried out on the UI thread.

#include "AppServices.h"
#include "CHistoryController.h"
#include "CYolPath.h"
#include "CYolWMApp.h"
#include "CYol_CLRootItem.h"
#include "Shell/Power.h"
#include "WindowSystem/Messages.h"

namespace UI {

namespace {

using Services::CEventArg;

constexpr unsigned int kAcknowledgedIcon = 29;
constexpr unsigned int kAuthRequestIcon = 30;
constexpr unsigned int kIncomingIcon = 27;
constexpr int kFileLoadedText = 270;
constexpr int kFileCancelledText = 271;
constexpr int kFileFailedText = 272;


CEventArg* ArgOf(LPARAM lParam) { return reinterpret_cast<CEventArg*>(lParam); }


// The text with its first "%s" replaced by `value`, taken as it is: a file
// name from a peer is never a format.
CYolString Substitute(const CYolString& text, const CYolString& value) {
    int at = text.Find(0, CYolString(u"%s"));
    if (at < 0)
        return text;
    return text.Substring(0, at) + value + text.Substring(at + 2, text.Length() - at - 2);
}

}  // namespace

const std::vector<CYolWMApp::MessageRow>& CYolWMApp::Messages() {
    static const std::vector<MessageRow> rows = {
        {AppMsg::RelabelSoftKeys, &CYolWMApp::MsgRelabel},
        {AppMsg::MessageSent, &CYolWMApp::MsgMessageSent},
        {AppMsg::MessageReceived, &CYolWMApp::MsgMessageReceived},
        {AppMsg::SearchResult, &CYolWMApp::MsgSearchResult},
        {AppMsg::OwnDetailsReady, &CYolWMApp::MsgOwnDetails},
        {AppMsg::ContactDetailsReady, &CYolWMApp::MsgContactDetails},
        {AppMsg::ShowText, &CYolWMApp::MsgShowText},
        {AppMsg::TabIcons, &CYolWMApp::MsgTabIcons},
        {AppMsg::TabTitle, &CYolWMApp::MsgTabTitle},
        {AppMsg::MessageAcknowledged, &CYolWMApp::MsgAcknowledged},
        {AppMsg::CloseTab, &CYolWMApp::MsgCloseTab},
        {AppMsg::OpenAccountsPage, &CYolWMApp::MsgAccountsPage},
        {AppMsg::Notification, &CYolWMApp::MsgNotification},
        {AppMsg::SetTimer, &CYolWMApp::MsgSetTimer},
        {AppMsg::KillTimer, &CYolWMApp::MsgKillTimer},
        {AppMsg::StartVersionCheck, &CYolWMApp::MsgVersionCheck},
        {AppMsg::NewVersion, &CYolWMApp::MsgNewVersion},
        {AppMsg::UpdateReady, &CYolWMApp::MsgUpdateReady},
        {AppMsg::VersionCheckDone, &CYolWMApp::MsgVersionCheckDone},
        {AppMsg::ProgramUpdateDone, &CYolWMApp::MsgUpdateDone},
        {AppMsg::FileTransfer, &CYolWMApp::MsgFileTransfer},
        {AppMsg::TrayIcon, &CYolWMApp::MsgTray},
        {WM_TIMER, &CYolWMApp::MsgTimer},
        {AppMsg::RunOnUi, &CYolWMApp::MsgRunOnUi},
    };
    return rows;
}

int CYolWMApp::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    for (const MessageRow& row : Messages())
        if (row.message == msg) {
            (this->*row.handler)(wParam, lParam);
            break;
        }
    return 1;
}

CYolString CYolWMApp::TimeText(const CYolTime& time) {
    return CYolString(u"(") + time.ToString(CYolString(u"%c")) + CYolString(u")");
}

unsigned int CYolWMApp::TabOf(unsigned int contact) {
    if (prefs.CLMeta == 0)
        return contact;
    CL::CContactList* model = ModelOf(services);
    unsigned int meta = model != nullptr ? model->GetMetaContactOf(contact) : 0;
    return meta != 0 ? meta : contact;
}

void CYolWMApp::AppendHistory(unsigned int contact, unsigned char direction, const Protocols::MessageInfo& message) {
    if (!history)
        return;
    CYolTime time = message.time;
    history->AppendHistoryMessage(contact, 1, direction, 0, time.GetUnixTime(), message.text);
}

void CYolWMApp::AddLineOrKeep(unsigned int tab, const MW::TYolWMMWMsg& line) {
    if (ports.messageWindows != nullptr && ports.messageWindows->IsTabOpen(tab))
        ports.messageWindows->AddMessage(tab, line);
    else
        pending.push_back({tab, line});
    NotifyCommandWaiters();
}

void CYolWMApp::RaiseAlert(int event) {
    if (ports.alerts != nullptr)
        ports.alerts->RaiseAlert(event);
}

void CYolWMApp::MsgRelabel(WPARAM, LPARAM) { RelabelSoftKeys(false); }

void CYolWMApp::MsgMessageSent(WPARAM, LPARAM lParam) {
    const Protocols::MessageInfo* message = ArgValue<Protocols::MessageInfo>(ArgOf(lParam));
    if (message == nullptr)
        return;
    AppendHistory(message->contactId, 1, *message);
    unsigned int tab = message->metaContactId != 0 && prefs.CLMeta != 0 ? message->metaContactId
                                                                        : TabOf(message->contactId);
    if (ports.messageWindows == nullptr || !ports.messageWindows->IsTabOpen(tab))
        return;
    MW::TYolWMMWMsg line{MW::TYolWMMWMsg::EOutgoing, message->messageId, static_cast<unsigned int>(message->flags),
                         ports.messageWindows->GetOwnName(tab), TimeText(message->time), message->text};
    ports.messageWindows->AddMessage(tab, line);
    NotifyCommandWaiters();
}

void CYolWMApp::MsgMessageReceived(WPARAM wParam, LPARAM lParam) {
    const Protocols::MessageInfo* message = ArgValue<Protocols::MessageInfo>(ArgOf(lParam));
    if (message == nullptr)
        return;
    unsigned int contact = ArgIdOf(wParam);
    if (contact == 0)
        contact = message->contactId;
    unsigned int tab = message->metaContactId != 0 && prefs.CLMeta != 0 ? message->metaContactId : TabOf(contact);
    if (message->kind == 2) {
        OpenChat(tab);
        AddLineOrKeep(tab, {MW::TYolWMMWMsg::EOther, message->messageId, static_cast<unsigned int>(message->flags),
                            message->text, message->extra, CYolString()});
        return;
    }
    if (message->kind == 3) {
        RaiseAlert(0);
        if (ports.notifications != nullptr)
            ports.notifications->ShowAuthRequest(contact, message->text);
        return;
    }
    ReceiveChatMessage(contact, tab, *message);
}

void CYolWMApp::ReceiveChatMessage(unsigned int contact, unsigned int tab, const Protocols::MessageInfo& message) {
    AppendHistory(contact, 0, message);
    char16_t power[32] = {};
    if (prefs.WakeUp && GetSystemPowerState(power, 32, nullptr) && CYolString::Comparei(power, u"on", -1) != 0)
        SetSystemPowerState(u"on", 0, POWER_FORCE);
    unsigned int icon = message.flags != -1 ? static_cast<unsigned int>(message.flags)
                        : message.kind == 1 ? kAuthRequestIcon
                                            : kIncomingIcon;
    CL::CContactList* model = ModelOf(services);
    CYolString name;
    if (model != nullptr) {
        model->GetItemString(contact, CYolString(u"CL Alias"), name);
        unsigned int meta = model->GetMetaContactOf(contact);
        OnViews([this, account = model->GetItemAccount(contact), group = model->GetParentId(contact), contact,
                 metaGroup = meta != 0 ? model->GetParentId(meta) : 0, meta, message] {
            views->MessageUnread(account, group, contact, metaGroup, meta, message);
        });
    }
    AddLineOrKeep(tab, {MW::TYolWMMWMsg::EIncoming, message.messageId, icon, name, TimeText(message.time),
                        message.text});
    RaiseAlert(0);
    bool inFront = ports.messageWindows != nullptr && ports.messageWindows->IsTabInFront(tab);
    if (!inFront && ports.notifications != nullptr)
        ports.notifications->ShowIncomingMessage(message.messageId, icon, contact, message.text);
}

void CYolWMApp::MsgSearchResult(WPARAM, LPARAM lParam) {
    if (ports.dialogs != nullptr)
        ports.dialogs->OnSearchResult(ArgValue<Protocols::UserInfo>(ArgOf(lParam)));
}

void CYolWMApp::MsgOwnDetails(WPARAM wParam, LPARAM) {
    if (ports.dialogs != nullptr)
        ports.dialogs->RefreshUserDetails(ArgIdOf(wParam));
}

void CYolWMApp::MsgContactDetails(WPARAM, LPARAM lParam) {
    CEventArg* extra = ArgOf(lParam);
    unsigned int contact = ArgIdOf(extra);
    if (const Protocols::UserInfo* info = ArgValue<Protocols::UserInfo>(extra))
        contact = info->contactId;
    if (ports.dialogs != nullptr && contact != 0)
        ports.dialogs->RefreshContactDetails(contact);
}

void CYolWMApp::MsgShowText(WPARAM wParam, LPARAM lParam) {
    const auto* text = reinterpret_cast<const CYolString*>(wParam);
    if (ports.notifications != nullptr && text != nullptr)
        ports.notifications->ShowMessage(*text, false);
    RaiseAlert(static_cast<int>(lParam));
}

void CYolWMApp::MsgTabIcons(WPARAM wParam, LPARAM lParam) {
    const auto* icons = reinterpret_cast<const CYolArray<unsigned int>*>(lParam);
    if (ports.messageWindows != nullptr && icons != nullptr && ports.messageWindows->IsTabOpen(wParam))
        ports.messageWindows->SetTabIcons(static_cast<unsigned int>(wParam), *icons);
}

void CYolWMApp::MsgTabTitle(WPARAM wParam, LPARAM lParam) {
    const auto* title = reinterpret_cast<const CYolString*>(lParam);
    if (ports.messageWindows != nullptr && title != nullptr && ports.messageWindows->IsTabOpen(wParam))
        ports.messageWindows->SetTabTitle(static_cast<unsigned int>(wParam), *title);
}

void CYolWMApp::MsgAcknowledged(WPARAM wParam, LPARAM lParam) {
    unsigned int tab = TabOf(ArgIdOf(wParam));
    unsigned int messageId = ArgIdOf(lParam);
    if (ports.messageWindows != nullptr && ports.messageWindows->IsTabOpen(tab))
        ports.messageWindows->UpdateMsgIcon(tab, messageId, kAcknowledgedIcon);
}

void CYolWMApp::MsgCloseTab(WPARAM wParam, LPARAM) {
    if (ports.messageWindows != nullptr && ports.messageWindows->IsTabOpen(wParam))
        ports.messageWindows->CloseTab(static_cast<unsigned int>(wParam));
}

void CYolWMApp::MsgAccountsPage(WPARAM, LPARAM) { OpenPreferences(9); }

void CYolWMApp::MsgNotification(WPARAM wParam, LPARAM) {
    const auto* info = reinterpret_cast<const Protocols::NotificationInfo*>(wParam);
    if (ports.notifications != nullptr && info != nullptr)
        ports.notifications->ShowEmail(info->text.GetLocalized(), info->title);
    RaiseAlert(4);
}

void CYolWMApp::MsgVersionCheck(WPARAM, LPARAM) {
    if (ports.updates != nullptr)
        ports.updates->StartVersionCheck(clientId);
}

void CYolWMApp::MsgNewVersion(WPARAM wParam, LPARAM) {
    if (ports.notifications != nullptr)
        ports.notifications->ShowNewVersion(static_cast<unsigned int>(wParam), false);
    RaiseAlert(3);
}

void CYolWMApp::MsgUpdateReady(WPARAM wParam, LPARAM) {
    if (ports.notifications != nullptr)
        ports.notifications->ShowNewVersion(static_cast<unsigned int>(wParam), true);
    RaiseAlert(3);
}

void CYolWMApp::MsgVersionCheckDone(WPARAM wParam, LPARAM) {
    if (ports.updates != nullptr)
        ports.updates->StopVersionCheck(reinterpret_cast<void*>(wParam));
}

void CYolWMApp::MsgUpdateDone(WPARAM, LPARAM) {
    if (ports.updates != nullptr)
        ports.updates->StopDownload();
}

void CYolWMApp::MsgFileTransfer(WPARAM, LPARAM lParam) {
    const Protocols::FTProgress* progress = ArgValue<Protocols::FTProgress>(ArgOf(lParam));
    if (progress == nullptr)
        return;
    if (progress->state == 0) {
        if (ports.notifications != nullptr)
            ports.notifications->ShowFileRequest(progress->contactId, progress->fileName, progress->totalSize);
        RaiseAlert(5);
        return;
    }
    if (ports.fileTransfers != nullptr)
        ports.fileTransfers->HandleTransferEvent(*progress);
    struct Ending {
        unsigned int state;
        int text;
        bool information;
        int alert;
    };
    static const Ending endings[] = {
        {2, kFileLoadedText, true, 6},
        {3, kFileCancelledText, false, 3},
        {4, kFileFailedText, false, 3},
    };
    for (const Ending& ending : endings) {
        if (ending.state != progress->state)
            continue;
        CYolString name = CYolPath::ExtractFileNameFromPath(progress->fileName);
        if (ports.notifications != nullptr)
            ports.notifications->ShowMessage(Substitute(UiString(ending.text), name), ending.information);
        RaiseAlert(ending.alert);
    }
}

void CYolWMApp::MsgTray(WPARAM wParam, LPARAM lParam) {
    if (ports.splashTray != nullptr)
        ports.splashTray->OnTrayMessage(static_cast<unsigned int>(wParam), static_cast<unsigned int>(lParam));
}

void CYolWMApp::MsgTimer(WPARAM wParam, LPARAM) { OnTimerEntryFired(wParam); }

// One job at a time from the shared queue: a job that runs a modal dialog
// leaves the rest queued, where the dialog's own loop finds them (every job
// posted its own message), so nothing waits for the user to close it.
void CYolWMApp::MsgRunOnUi(WPARAM, LPARAM) {
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard<std::mutex> hold(commandLock);
            if (uiJobs.empty())
                return;
            job = std::move(uiJobs.front());
            uiJobs.pop_front();
        }
        job();
    }
}

}  // namespace UI
