// The application's observer slots: the contact-list window, the message
// windows, the preferences and the shell notifications' answers; and
// opening a chat with the messages that waited for it. UI thread.

#include "AppServices.h"
#include "CHistoryController.h"
#include "CYolWMApp.h"
#include "CYolWMCL_Ctrl.h"
#include "CYolWMUI_Tools.h"
#include "CYol_CLModelFollower.h"
#include "CYol_CLRootItem.h"
#include "CYolWMCL_StatusBar.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Messages.h"
#include "WindowSystem/WindowPaint.h"

namespace UI {

namespace {

constexpr int kOutgoingIcon = 28;
// The own service's domain, appended to the base account's login.
constexpr char16_t kBaseAccountSuffix[] = u"@yol.im";

CYolArray<unsigned int> FirstIconsOf(const Protocols::ContactStatusInfo& status) {
    return status.icons.Count() > 0 ? status.icons[0] : CYolArray<unsigned int>();
}

}  // namespace

void CYolWMApp::OnItemActivated(unsigned int id, const Protocols::ContactStatusInfo&) { OpenChat(id); }

void CYolWMApp::OnStatusBarTap(int digit) {
    if (statusBar)
        statusBar->OnStatusBarTap(digit);
}

void CYolWMApp::OnSelectionChanged(CL::CYol_CLItem*) { Post(AppMsg::RelabelSoftKeys, 0, 0); }

void CYolWMApp::OnShowChats(int, int) {
    if (ports.messageWindows != nullptr)
        ports.messageWindows->Show(true);
}

// The lines waiting for the chat are handed over in their order of arrival.
// When the chat shows history instead, they are among its newest records;
// when the history does not hold them all, they are shown as they are.
void CYolWMApp::OpenChat(unsigned int id) {
    MYolWMApp_MessageWindows* windows = ports.messageWindows;
    CL::CContactList* model = ModelOf(services);
    if (windows == nullptr || model == nullptr)
        return;
    if (!windows->IsTabOpen(id)) {
        CYolString name;
        model->GetItemString(id, CYolString(u"CL Alias"), name);
        Protocols::ContactStatusInfo status;
        windows->AddTab(id, name, FirstIconsOf(model->GetItemStatus(status, id)));
    }
    std::vector<MW::TYolWMMWMsg> waiting;
    for (size_t i = pending.size(); i-- > 0;)
        if (pending[i].tab == id) {
            waiting.insert(waiting.begin(), pending[i].line);
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
        }
    const size_t n = waiting.size();
    std::vector<MW::TYolWMMWMsg> lines = waiting;
    if (prefs.HistSaveHist && prefs.HistShowInMW && history) {
        CYolArray<CHistoryController::CHistoryMessageRecord> records;
        unsigned int count = static_cast<unsigned int>(n) + prefs.HistMsgCountForShow;
        int loaded = prefs.CLMeta != 0 && model->IsMetaContact(id) ? history->LoadMetaContactHistory(id, count, records)
                                                                   : history->LoadContactHistory(id, count, records);
        if (loaded == 0 && static_cast<size_t>(records.Count()) >= n) {
            lines.clear();
            for (int i = 0; i < records.Count(); ++i) {
                const auto& r = records[i];
                lines.push_back({r.direction, 0, r.icon, r.sender, r.timeCaption, r.text});
            }
        }
    }
    if (lines.size() > n) {
        MW::TYolWMMWMsg separator;
        separator.direction = MW::TYolWMMWMsg::ESeparator;
        lines.insert(lines.end() - static_cast<std::ptrdiff_t>(n), separator);
    }
    for (const MW::TYolWMMWMsg& line : lines)
        windows->AddMessage(id, line);
    windows->SelectTab(id);
    windows->Show(true);
}

void CYolWMApp::OnPrefsChanged(int group) {
    switch (group) {
        case 0:
            if (ports.splashTray != nullptr)
                ports.splashTray->ShowTray(prefs.GlobTrayIcon);
            break;
        case 4:
        case 5:
            ApplyView();
            break;
        case 6:
            if (follower)
                follower->SetShowOffline(!prefs.CLOnlyOnline);
            OnViews([this, show = !prefs.CLOnlyOnline] {
                if (views)
                    views->SetShowOffline(show);
            });
            break;
        case 7:
            if (clCtrl)
                clCtrl->SetItemsPerRow(static_cast<int>(prefs.CLColumns));
            break;
        case 9:
            if (clCtrl)
                clCtrl->SetFont(prefs.CLFont);
            break;
        case 21:
            if (languageChangedKey != 0)
                services.BroadcastEvent(languageChangedKey,
                                        new Services::CEventArg_Data<CYolString>(prefs.Lang), nullptr, false);
            RelabelSoftKeys(true);
            // The list's headers and the status bar draw their captions.
            if (clCtrl && clCtrl->GetWindow() != nullptr)
                InvalidateRect(clCtrl->GetWindow(), nullptr, true);
            if (statusBar && statusBar->Handle() != nullptr)
                InvalidateRect(statusBar->Handle(), nullptr, true);
            break;
        default:
            break;
    }
}

void CYolWMApp::ApplyView() {
    if (!clCtrl || !views)
        return;
    CL::CYol_CLItem* const chosen[2][2] = {{views->flat, views->flatMeta}, {views->grouped, views->groupedMeta}};
    clCtrl->ShowView(chosen[prefs.CLMode == 1 ? 1 : 0][prefs.CLMeta != 0 ? 1 : 0]);
}

// --- message windows ---------------------------------------------------------------------

bool CYolWMApp::OnSendMessage(unsigned int tab, const CYolString& text) {
    CL::CContactList* model = ModelOf(services);
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (model == nullptr || manager == nullptr)
        return false;
    Protocols::Status status = Protocols::Offline;
    if (manager->GetStatus(model->GetItemAccount(tab), status) != 0 || !Protocols::IsConnectedStatus(status))
        return false;
    Protocols::MessageInfo message;
    message.messageId = messageCounter++;
    message.kind = 0;
    message.flags = kOutgoingIcon;
    message.time = CYolTime();
    message.text = text;
    model->SendMessage(tab, &message, false);
    RaiseAlert(1);
    return true;
}

void CYolWMApp::OnSendFile(unsigned int tab, const CYolString& path) {
    if (CL::CContactList* model = ModelOf(services))
        model->SendFile(tab, path);
}

void CYolWMApp::OnFillMenu(unsigned int tab, CYolMenuInfo& menu) {
    CL::CContactList* model = ModelOf(services);
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (model != nullptr && manager != nullptr)
        manager->GetContactQuickMenu(model->GetItemAccount(tab), tab, &menu);
}

void CYolWMApp::GetSubContacts(unsigned int tab, CYolArray<unsigned int>& ids, CYolArray<CYolString>& logins,
                               CYolArray<CYolArray<unsigned int>>& icons) {
    CL::CContactList* model = ModelOf(services);
    if (model == nullptr || !model->IsMetaContact(tab))
        return;
    CYolArray<unsigned int> subs;
    model->GetMetaSubContacts(tab, subs);
    for (int i = 0; i < subs.Count(); ++i) {
        CYolString login;
        model->GetItemString(subs[i], CYolString(u"SrvLogName"), login);
        Protocols::ContactStatusInfo status;
        ids.Add(subs[i]);
        logins.Add(login);
        icons.Add(FirstIconsOf(model->GetItemStatus(status, subs[i])));
    }
}

// Marks every unread message of the tab read (messageId -1) or one.
void CYolWMApp::MarkRead(unsigned int tab, unsigned int messageId) {
    CL::CContactList* model = ModelOf(services);
    if (model == nullptr || !views)
        return;
    bool meta = model->IsMetaContact(tab);
    unsigned int account = meta ? 0 : model->GetItemAccount(tab);
    unsigned int parent = model->GetParentId(tab);
    OnViews([this, meta, account, parent, tab, messageId] {
        if (meta)
            views->MessagesRead(0, 0, 0, parent, tab, messageId);
        else
            views->MessagesRead(account, parent, tab, 0, 0, messageId);
    });
}

void CYolWMApp::OnTabActivated(unsigned int tab) {
    MarkRead(tab, static_cast<unsigned int>(-1));
    if (ports.notifications != nullptr)
        ports.notifications->RemoveContact(tab);
}

void CYolWMApp::OnShowContactDetails(unsigned int contact) {
    if (ports.dialogs != nullptr)
        ports.dialogs->RunContactDetails(GetWindow(), contact);
}

// Through the model, which takes a meta-contact's chosen sub-contact.
void CYolWMApp::OnTypingNotify(unsigned int tab, bool typing) {
    if (CL::CContactList* model = ModelOf(services))
        model->SendTypingNotification(tab, typing);
}

void CYolWMApp::KeepUnread(unsigned int tab, const CYolArray<MW::TYolWMMWMsg>& lines) {
    for (int i = 0; i < lines.Count(); ++i)
        pending.push_back({tab, lines[i]});
}

void CYolWMApp::OnTabSelected(unsigned int tab) {
    if (CL::CContactList* model = ModelOf(services))
        model->RequestContactDetails(tab);
}

// --- shell notifications' answers ----------------------------------------------------------

void CYolWMApp::OnNotificationAnswer(unsigned int messageId, int answer) {
    auto it = std::find_if(pending.begin(), pending.end(),
                           [&](const PendingMessage& p) { return p.line.messageId == messageId; });
    if (it == pending.end())
        return;
    unsigned int tab = it->tab;
    MarkRead(tab, messageId);
    if (answer != 0)
        OpenChat(tab);
}

// The package is kept where the download put it and the user is told so;
// nothing is installed or run.
void CYolWMApp::OnUpdateAnswer(unsigned int version, bool install) {
    if (ports.updates == nullptr)
        return;
    if (!install) {
        ports.updates->StartDownload(clientId, version);
        return;
    }
    if (ports.notifications != nullptr)
        ports.notifications->ShowMessage(ports.updates->GetCabPath(), true);
}

void CYolWMApp::OnFileAnswer(unsigned int contact, const CYolString& fileName, bool accept) {
    CL::CContactList* model = ModelOf(services);
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (model == nullptr || manager == nullptr)
        return;
    unsigned int account = model->GetItemAccount(contact);
    CYolString path;
    if (accept && ports.dialogs != nullptr && ports.dialogs->RunFileSave(GetWindow(), fileName, path))
        manager->AcceptFile(account, contact, fileName, path);
    else
        manager->RefuseFile(account, contact, fileName);
}

void CYolWMApp::OnAuthAnswer(unsigned int contact, bool grant) {
    CL::CContactList* model = ModelOf(services);
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (model != nullptr && manager != nullptr)
        manager->SetAuthorization(model->GetItemAccount(contact), contact, grant);
}

// Without the dialog the prompt is answered as a cancelled one: the
// accounts then start without the server store.
void CYolWMApp::PromptBaseAccount(CYolString login, CYolString password) {
    Protocols::CProtocolsManager* manager = ManagerOf(services);
    if (manager == nullptr)
        return;
    CYolString suffix(kBaseAccountSuffix);
    int at = login.Find(0, suffix);
    if (at >= 0)
        login = login.Substring(0, at);
    HWND owner = ports.splashTray != nullptr && ports.splashTray->SplashWindow() != nullptr
                     ? ports.splashTray->SplashWindow()
                     : GetWindow();
    if (ports.dialogs != nullptr && ports.dialogs->RunBaseAccount(owner, login, password)) {
        login = login + suffix;
    } else {
        login = CYolString();
        password = CYolString();
    }
    manager->SetBaseAccountLogin(login, password);
}

}  // namespace UI
