#include "CYolProgramMessageWindows.h"

#include "CYolWMMW_SettingsDlg.h"

#include "CYolWMApp.h"
#include "CYolWMMW_Controller.h"
#include "CYolWMMW_Host.h"
#include "DialogStrings.h"

#include "Backends/Backend.h"
#include "WindowSystem/WindowFocus.h"
#include "WindowSystem/WindowPaint.h"

#include <sstream>

namespace UI {

namespace {

std::string OneLine(const CYolString& text) {
    std::string out;
    for (char c : text.ToUtf8()) {
        if (c == '\r')
            continue;
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

// Whatever waits to be painted is painted first, children too, so the
// picture shows what the user would see.
void PaintPending(HWND window) {
    UpdateWindow(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        PaintPending(child);
}

std::string Icons(const CYolArray<unsigned int>& icons) {
    std::string out;
    for (int i = 0; i < icons.Count(); ++i)
        out += (i > 0 ? "," : "") + std::to_string(icons[i]);
    return out;
}

} // namespace

CYolProgramMessageWindows::CYolProgramMessageWindows(MYolWMApp_Notifications& bubbles) : notifications(bubbles) {}

CYolProgramMessageWindows::~CYolProgramMessageWindows() { Release(); }

void CYolProgramMessageWindows::ShowWarning(const CYolString& text) { notifications.ShowMessage(text, false); }

bool CYolProgramMessageWindows::UiString(int id, CYolString& text) {
    text = DialogString(id);
    return !text.IsEmpty();
}

void CYolProgramMessageWindows::ShowHistory(unsigned int contact) {
    CYolWMApp* app = CYolWMApp::Instance();
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && app != nullptr)
        MW::CYolWMMW_Controller::ShowHistory(c, app->GetWindow(), contact);
}

bool CYolProgramMessageWindows::RunSettings(HWND owner) {
    MW::CYolWMMW_Controller* c = Controller();
    if (c == nullptr)
        return false;
    MW::CYolWMMW_SettingsDlg::Run(owner, &c->Settings(), c, 0);
    return true;
}

MW::CYolWMMW_Controller* CYolProgramMessageWindows::Controller() {
    if (controller)
        return controller.get();
    CYolWMApp* app = CYolWMApp::Instance();
    if (app == nullptr || app->GetWindow() == nullptr)
        return nullptr;
    MW::SetMessageWindowFullScreen(app->Prefs().GlobFullScreen);
    MW::CYolWMMW_HistoryDlg::SetHistory(app->History());
    MW::CYolWMMW_HistoryDlg::SetHost(this);
    MW::CYolWMMW_SelectSmileDlg::SetHost(this);
    controller.reset(MW::CYolWMMW_Controller::Create(this, app->GetWindow()));
    window.store(controller ? static_cast<HWND>(*controller) : nullptr);
    return controller.get();
}

void CYolProgramMessageWindows::Release() {
    window.store(nullptr);
    controller.reset();
    MW::CYolWMMW_HistoryDlg::SetHistory(nullptr);
    MW::CYolWMMW_HistoryDlg::SetHost(nullptr);
    MW::CYolWMMW_SelectSmileDlg::SetHost(nullptr);
}

bool CYolProgramMessageWindows::IsTabOpen(unsigned int tab) {
    MW::CYolWMMW_Controller* c = Controller();
    return c != nullptr && c->IsTabOpen(tab);
}

void CYolProgramMessageWindows::AddTab(unsigned int tab, const CYolString& name, const CYolArray<unsigned int>& icons) {
    if (MW::CYolWMMW_Controller* c = Controller())
        c->OpenTab(tab, name, icons);
}

void CYolProgramMessageWindows::AddMessage(unsigned int tab, const MW::TYolWMMWMsg& line) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->AddMessage(tab, line);
}

void CYolProgramMessageWindows::SelectTab(unsigned int tab) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->SelectTab(tab);
}

void CYolProgramMessageWindows::Show(bool show) {
    if (MW::CYolWMMW_Controller* c = Controller())
        c->Show(show);
}

bool CYolProgramMessageWindows::IsTabInFront(unsigned int tab) {
    MW::CYolWMMW_Controller* c = Controller();
    return c != nullptr && c->IsVisible() && c->IsTabOpen(tab) && c->CurrentTab() == tab &&
           GetForegroundWindow() == static_cast<HWND>(*c);
}

void CYolProgramMessageWindows::SetTabIcons(unsigned int tab, const CYolArray<unsigned int>& icons) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->SetTabIcons(tab, icons);
}

void CYolProgramMessageWindows::SetTabTitle(unsigned int tab, const CYolString& title) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->SetTabTitle(tab, title);
}

void CYolProgramMessageWindows::CloseTab(unsigned int tab) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->CloseTab(tab);
}

void CYolProgramMessageWindows::UpdateMsgIcon(unsigned int tab, unsigned int messageId, unsigned int icon) {
    if (MW::CYolWMMW_Controller* c = Controller(); c != nullptr && c->IsTabOpen(tab))
        c->UpdateMsgIcon(tab, messageId, icon);
}

CYolString CYolProgramMessageWindows::GetOwnName(unsigned int) {
    MW::CYolWMMW_Controller* c = Controller();
    return c != nullptr ? c->Settings().yourName : CYolString();
}

void CYolProgramMessageWindows::ReloadSmiles() {
    if (MW::CYolWMMW_Controller* c = Controller())
        c->ReloadSmiles();
}

HWND CYolProgramMessageWindows::Window() { return window.load(); }

MYolWMUI_PrefsChangeObserver* CYolProgramMessageWindows::PrefsObserver() { return Controller(); }

// --- the window's calls ----------------------------------------------------------------------

int CYolProgramMessageWindows::OnSendMessage(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& text) {
    CYolWMApp* app = CYolWMApp::Instance();
    return app != nullptr && app->OnSendMessage(tab, text) ? 1 : 0;
}

int CYolProgramMessageWindows::OnSendFile(MW::CYolWMMW_Controller*, unsigned int tab, const CYolString& path) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->OnSendFile(tab, path);
    return 1;
}

int CYolProgramMessageWindows::OnFillMenu(MW::CYolWMMW_Controller*, unsigned int tab, CYolMenuInfo* menu) {
    if (CYolWMApp* app = CYolWMApp::Instance(); app != nullptr && menu != nullptr)
        app->OnFillMenu(tab, *menu);
    return 1;
}

void CYolProgramMessageWindows::GetSubContacts(MW::CYolWMMW_Controller*, unsigned int tab,
                                               CYolArray<unsigned int>& ids, CYolArray<CYolString>& names,
                                               CYolArray<CYolArray<unsigned int>>& icons) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->GetSubContacts(tab, ids, names, icons);
}

void CYolProgramMessageWindows::OnTabActivated(MW::CYolWMMW_Controller*, unsigned int tab) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->OnTabActivated(tab);
}

void CYolProgramMessageWindows::OnShowContactDetails(MW::CYolWMMW_Controller*, unsigned int contact) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->OnShowContactDetails(contact);
}

int CYolProgramMessageWindows::OnTypingNotify(MW::CYolWMMW_Controller*, unsigned int tab, int state) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->OnTypingNotify(tab, state == 0);
    return 1;
}

int CYolProgramMessageWindows::OnTabSelected(MW::CYolWMMW_Controller*, unsigned int tab) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->OnTabSelected(tab);
    return 1;
}

void CYolProgramMessageWindows::OnTabClosedUnread(MW::CYolWMMW_Controller*, unsigned int tab,
                                                  const CYolArray<MW::TYolWMMWMsg>& lines) {
    if (CYolWMApp* app = CYolWMApp::Instance())
        app->KeepUnread(tab, lines);
}

// --- the socket's commands -------------------------------------------------------------------

std::string CYolProgramMessageWindows::DescribeTabs() {
    MW::CYolWMMW_Controller* c = Controller();
    if (c == nullptr)
        return "OK";
    std::string out = "OK";
    for (int i = 0; i < c->TabCount(); ++i) {
        const unsigned int id = static_cast<unsigned int>(c->TabIdAt(i));
        const auto* tab = c->GetTab(static_cast<int>(id));
        const auto* unread = c->UnreadLines(id);
        MW::CYolWMMW_DlgCtrl* pane = c->Pane(id);
        out += std::string(i == 0 ? " " : " | ") + (c->CurrentTab() == id ? "*" : "") + std::to_string(id) + ":" +
               OneLine(tab->caption) + ":icons=" + Icons(tab->images) +
               ":unread=" + std::to_string(unread != nullptr ? unread->Count() : 0) +
               ":smileys=" + std::to_string(pane != nullptr ? pane->History()->Smileys().Count() : 0);
    }
    return out + (c->IsVisible() ? " shown" : " hidden");
}

// tabs                 -> OK [*]id:title:icons=..:unread=n:smileys=n | ... shown|hidden
// open-unread          the chat of the first message not yet shown opens,
//                      as when its notification is answered  -> OK id | ERR none
// tab-text ID          -> OK the history's text, line breaks as "\n"
// wait-tab-text ID TEXT -> OK when the history holds TEXT (with "wait": the
//                      history is written when the model's event arrives, which
//                      may be after the peer already has the message)
// type ID TEXT         the text typed into the tab's editor   -> OK
// send ID TEXT         typed and sent                         -> OK | ERR not sent
// close-tab ID         -> OK
// wait-tab-icons ID N  -> OK when the tab shows image N alone ("!N": not N)
// chat-screenshot PATH the message window as a PNG file       -> OK | ERR ...
std::string CYolProgramMessageWindows::Command(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    MW::CYolWMMW_Controller* c = Controller();
    if (command == "tabs")
        return DescribeTabs();
    if (command == "open-unread") {
        CYolWMApp* app = CYolWMApp::Instance();
        if (app == nullptr || app->PendingMessages().empty())
            return "ERR none";
        const unsigned int tab = app->PendingMessages().front().tab;
        app->OnNotificationAnswer(app->PendingMessages().front().line.messageId, 1);
        return "OK " + std::to_string(tab);
    }
    if (c == nullptr)
        return {};
    if (command == "chat-screenshot") {
        std::string path;
        std::getline(words >> std::ws, path);
        PaintPending(*c);
        return !path.empty() && Platform::SaveWindowPng(*c, path.c_str()) ? "OK" : "ERR not saved";
    }
    const bool known = command == "tab-text" || command == "wait-tab-text" || command == "type" || command == "send" || command == "close-tab" ||
                       command == "wait-tab-icons";
    if (!known)
        return {};
    unsigned int id = 0;
    words >> id;
    std::string text;
    std::getline(words >> std::ws, text);
    MW::CYolWMMW_DlgCtrl* pane = c->Pane(id);
    if (pane == nullptr)
        return "ERR no tab";
    if (command == "tab-text" || command == "wait-tab-text") {
        std::unique_ptr<char16_t[]> all(pane->History()->GetAllText(false));
        const std::string history = all ? OneLine(CYolString(all.get())) : std::string();
        if (command == "tab-text")
            return "OK " + history;
        return history.find(text) != std::string::npos ? "OK" : "ERR text not shown";
    }
    if (command == "wait-tab-icons") {
        // "N": the icons are N alone; "!N": N is not among them.
        const bool without = !text.empty() && text[0] == '!';
        const std::string wanted = without ? text.substr(1) : text;
        const std::string icons = Icons(c->GetTab(static_cast<int>(id))->images);
        const bool among = ("," + icons + ",").find("," + wanted + ",") != std::string::npos;
        return (without ? !among : icons == wanted) ? "OK" : "ERR icons " + icons;
    }
    if (command == "close-tab") {
        c->CloseTab(id);
        return "OK";
    }
    c->SelectTab(id);
    pane->InsertText(CYolString::FromUtf8(text));
    if (command == "type")
        return "OK";
    c->Send();
    CYolString left;
    return pane->GetText(left) ? "ERR not sent" : "OK";
}

}  // namespace UI
