#include "CYolWMMW_HistCtrl.h"

#include "CYolBrowserLauncher.h"
#include "CYolMenuInfo.h"
#include "CYolWMUI_Menu.h"
#include "DialogStrings.h"
#include "SkinImages.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <utility>

namespace MW {

namespace {

CYolWMMW_HistCtrl::LinkOpener& Opener()
{
    static CYolWMMW_HistCtrl::LinkOpener opener;
    return opener;
}

bool g_fullScreenMenus = false;

constexpr char16_t kHttpPrefix[] = u"http://";

struct TMenuRow {
    int caption;
    int image;
    int command;
    bool needsSelection;
};

constexpr TMenuRow kMenuRows[] = {
    {143, Skins::SKIN_IMG_CL_COPY, CYolWMMW_HistCtrl::ECopy, true},
    {145, Skins::SKIN_IMG_MW_QUOTE, CYolWMMW_HistCtrl::EQuote, true},
    {146, Skins::SKIN_IMG_MW_QUOTE, CYolWMMW_HistCtrl::EQuoteLast, false},
    {148, Skins::SKIN_IMG_MW_CLEAR, CYolWMMW_HistCtrl::EClear, false},
};

} // namespace

void CYolWMMW_HistCtrl::SetLinkOpener(LinkOpener opener)
{
    Opener() = std::move(opener);
}

void CYolWMMW_HistCtrl::SetFullScreenMenus(bool fullScreen)
{
    g_fullScreenMenus = fullScreen;
}

// A "www." link names no scheme; the browser is handed the web's.
int CYolWMMW_HistCtrl::OnLinkActivated(const char16_t* text, int length)
{
    CYolString address(text, length);
    if (length > 0 && text[0] == u'w')
        address = CYolString(kHttpPrefix) + address;
    if (Opener())
        Opener()(address);
    else
        CYolBrowserLauncher::Launch(address);
    return 1;
}

void CYolWMMW_HistCtrl::OnChar(char16_t character, long data)
{
    if (character == u'\t')
        return;
    if (character == u'\r' && !IsEmpty()) {
        RTE::CYolWMRTE_Ctrl::OnChar(character, data);
        return;
    }
    SendMessage(GetParent(m_hWnd), WM_CHAR, character, data);
}

void CYolWMMW_HistCtrl::OnContextMenu(POINT point)
{
    const bool selection = HasSelection();
    const bool paragraphs = !IsEmpty();
    CYolMenuInfo menu;
    for (const TMenuRow& row : kMenuRows) {
        if (row.needsSelection ? selection : paragraphs)
            menu.Add(CYolMenuItemInfo(CYolMenuItemInfo::Item, row.image, CYolFormatString(UI::DialogString(row.caption)),
                                      row.command, nullptr, nullptr, false));
    }
    if (menu.Count() == 0)
        return;
    RECT bounds{};
    GetWindowRect(GetParent(m_hWnd), &bounds);
    ClientToScreen(m_hWnd, &point);
    UI::CYolWMUI_Menu::TResult chosen;
    UI::CYolWMUI_Menu::Popup(chosen, menu, bounds, point, UI::CYolWMUI_Menu::ETopLeft, m_hWnd, g_fullScreenMenus,
                             false);
    if (chosen.commandId >= 0)
        EditCommand(chosen.commandId);
}

} // namespace MW
