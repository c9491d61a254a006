// The message window's soft keys and chat menu.

#include "CYolWMMW_Controller.h"

#include "CYolWMMW_Host.h"
#include "CYolWMUI_FileDlg.h"
#include "SkinImages.h"

namespace MW {

namespace {

using Item = CYolMenuItemInfo;

CYolFormatString Text(int id) { return CYolFormatString(MessageWindowText(id)); }

Item Entry(int image, int text, int command, void* context = nullptr) {
    return Item(Item::Item, image, Text(text), command, nullptr, context, false);
}

struct ActionRow {
    int caption;
};
// Captions of the soft-key actions, by action.
const ActionRow kActions[] = {{139}, {140}, {279}, {284}, {149}, {281}};

struct EditRow {
    int text;
    int image;
};
const EditRow kEdits[] = {
    {142, Skins::SKIN_IMG_MW_CUT},   {143, Skins::SKIN_IMG_CL_COPY}, {144, Skins::SKIN_IMG_MW_PASTE},
    {145, Skins::SKIN_IMG_MW_QUOTE}, {146, Skins::SKIN_IMG_MW_QUOTE}, {148, Skins::SKIN_IMG_MW_CLEAR},
};

// The settings panes, by pane id.
const int kSettingsPanes[] = {63, 152, 140, 153, 154};
constexpr int kSendFileText = 43;

} // namespace

int CYolWMMW_Controller::GetSoftKeyCap(TSoftKey key, CYolString& caption) {
    const int action = key == ELeft ? settings.leftSK : settings.rightSK;
    if (action >= 0 && action < static_cast<int>(std::size(kActions)))
        caption = MessageWindowText(kActions[action].caption);
    return 1;
}

void CYolWMMW_Controller::OnSoftKey(TSoftKey key) {
    RunSoftKeyAction(key == ELeft ? settings.leftSK : settings.rightSK, key == ELeft);
}

void CYolWMMW_Controller::RunSoftKeyAction(int action, bool fromLeft) {
    switch (action) {
        case ESend:
            Send();
            break;
        case ESmilies:
            SelectSmile();
            break;
        case EMenu:
            ShowMenu(fromLeft);
            break;
        case EMinimize:
            Show(false);
            break;
        case ECloseTab:
            if (HasTab(GetCurTabId()))
                CloseTab(CurrentTab());
            break;
        case EClose:
            CloseAllTabs();
            break;
        default:
            break;
    }
}

void CYolWMMW_Controller::AddEditEntries(CYolMenuInfo& menu) {
    CYolWMMW_DlgCtrl* pane = CurrentPane();
    CYolMenuInfo edits;
    for (int command = 0; command < static_cast<int>(std::size(kEdits)); ++command)
        if (pane != nullptr && pane->CanEdit(command))
            edits.Add(Entry(kEdits[command].image, kEdits[command].text, CmdFirstEdit + command));
    if (edits.Count() > 0)
        menu.Add(Item(Skins::SKIN_IMG_CL_COPY, Text(147), edits));
    menu.Add(Item(Item::Separator));
}

void CYolWMMW_Controller::AddContactEntries(CYolMenuInfo& menu, unsigned int tab) {
    CYolArray<unsigned int> ids;
    CYolArray<CYolString> names;
    CYolArray<CYolArray<unsigned int>> icons;
    if (owner != nullptr)
        owner->GetSubContacts(this, tab, ids, names, icons);
    struct Row {
        int text;
        int image;
        int command;
    };
    const Row rows[] = {{44, Skins::SKIN_IMG_CL_USER_DETS, CmdDetails}, {45, Skins::SKIN_IMG_CL_HISTORY, CmdHistory}};
    for (const Row& row : rows) {
        if (ids.Count() <= 1) {
            const unsigned int context = ids.Count() == 1 ? ids[0] : tab;
            menu.Add(Entry(row.image, row.text, row.command, YolMenuContext(context)));
            continue;
        }
        CYolMenuInfo sub;
        for (int i = 0; i < ids.Count(); ++i)
            sub.Add(Item(Item::Item, i < icons.Count() ? icons[i] : CYolArray<unsigned int>(),
                         CYolFormatString(i < names.Count() ? names[i] : CYolString()), row.command, nullptr,
                         YolMenuContext(ids[i]), false));
        menu.Add(Item(row.image, Text(row.text), sub));
    }
    menu.Add(Item(Item::Separator));
}

void CYolWMMW_Controller::BuildMenu(CYolMenuInfo& menu) {
    const unsigned int tab = CurrentTab();
    if (owner != nullptr) {
        const int before = menu.Count();
        owner->OnFillMenu(this, tab, &menu);
        if (menu.Count() > before)
            menu.Add(Item(Item::Separator));
    }
    menu.Add(Entry(Skins::SKIN_IMG_CL_MSG_SEND, 139, CmdSend));
    menu.Add(Entry(Skins::SKIN_IMG_MW_SMILES, 140, CmdSmilies));
    // Sending a file needs a way in from the chat.
    menu.Add(Entry(Skins::SKIN_IMG_MMENU_FILES, kSendFileText, CmdSendFile));
    if (settings.replies.Count() > 0) {
        CYolMenuInfo replies;
        for (int i = 0; i < settings.replies.Count(); ++i)
            replies.Add(Item(Item::Item, -1, CYolFormatString(settings.replies[i]), CmdFirstReply + i, nullptr,
                             nullptr, false));
        menu.Add(Item(Skins::SKIN_IMG_MW_REPLY, Text(141), replies));
    }
    AddEditEntries(menu);
    AddContactEntries(menu, tab);
    CYolMenuInfo panes;
    for (int pane = 0; pane < static_cast<int>(std::size(kSettingsPanes)); ++pane)
        panes.Add(Entry(-1, kSettingsPanes[pane], pane));
    menu.Add(Item(Skins::SKIN_IMG_MMENU_PREFS, Text(150), panes));
    menu.Add(Item(Item::Separator));
    menu.Add(Entry(Skins::SKIN_IMG_MW_CLOSE_TAB, 149, CmdCloseTab));
    menu.Add(Entry(Skins::SKIN_IMG_MW_CLOSE_MSGWND, 281, CmdClose));
}

void CYolWMMW_Controller::ShowMenu(bool fromLeft) {
    if (!HasTab(GetCurTabId()))
        return;
    CYolMenuInfo menu;
    BuildMenu(menu);
    UI::CYolWMUI_Menu::TResult result;
    if (fromLeft)
        UI::CYolWMUI_Menu::PopupAtLeftBottom(result, menu, m_hWnd, false);
    else
        UI::CYolWMUI_Menu::PopupAtRightBottom(result, menu, m_hWnd, MessageWindowFullScreen());
    OnMenuChoice(result);
}

void CYolWMMW_Controller::InsertReply(int index) {
    CYolWMMW_DlgCtrl* pane = CurrentPane();
    if (pane == nullptr || index < 0 || index >= settings.replies.Count())
        return;
    pane->InsertText(settings.replies[index]);
    if (settings.sendRepliesImmediately)
        Send();
}

void CYolWMMW_Controller::SendFile() {
    const unsigned int tab = CurrentTab();
    UI::CYolWMUI_FileDlg dialog(u"*.*;", true, CYolString());
    if (dialog.DoModal(m_hWnd) == 1 && owner != nullptr && HasTab(static_cast<int>(tab)))
        owner->OnSendFile(this, tab, UI::CYolWMUI_FileDlg::ProgramState().path);
}

void CYolWMMW_Controller::OnMenuChoice(const UI::CYolWMUI_Menu::TResult& choice) {
    if (!HasTab(GetCurTabId()))
        return;
    const unsigned int tab = CurrentTab();
    if (choice.callback != nullptr) {
        choice.callback(tab, choice.context);
        return;
    }
    const int command = choice.commandId;
    const unsigned int context = YolMenuContextValue(choice.context);
    if (command >= 0 && command < static_cast<int>(std::size(kSettingsPanes))) {
        CYolWMMW_SettingsDlg::Run(m_hWnd, &settings, this, command);
    } else if (command >= CmdFirstEdit && command < CmdFirstEdit + static_cast<int>(std::size(kEdits))) {
        if (CYolWMMW_DlgCtrl* pane = CurrentPane())
            pane->EditCommand(command - CmdFirstEdit);
    } else if (command >= CmdFirstReply) {
        InsertReply(command - CmdFirstReply);
    } else {
        switch (command) {
            case CmdSend: Send(); break;
            case CmdSendFile: SendFile(); break;
            case CmdSmilies: SelectSmile(); break;
            case CmdDetails:
                if (owner != nullptr)
                    owner->OnShowContactDetails(this, context);
                break;
            case CmdHistory: ShowHistory(this, m_hWnd, context); break;
            case CmdCloseTab: CloseTab(tab); break;
            case CmdHide: Show(false); break;
            case CmdClose: CloseAllTabs(); break;
            default: break;
        }
    }
}

} // namespace MW
