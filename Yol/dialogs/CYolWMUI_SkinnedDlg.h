#pragma once
// The look every dialog of the program shares: the skin's background brush
// (when the application has set one) and the skin's label colour for text.
// CYolWMUI_OkCancelDlg adds the soft keys "OK" (result 1, after saving) and
// "Cancel" (result 2, nothing saved); a dialog may name the right key
// otherwise.

#include "CYolWMUI_Dlg.h"
#include "SkinColors.h"
#include "WindowSystem/Dialog.h"
#include "YolWMUI_Dialogs.h"

namespace UI {

template <typename Base>
class CYolWMUI_SkinnedDlg : public Base {
public:
    HBRUSH GetBkBrush() override
    {
        HBRUSH brush = GetDialogBkBrush();
        return brush ? brush : Base::GetBkBrush();
    }
    COLORREF GetTextColor() override { return Skins::GetSkinColor(Skins::SKIN_CLR_TEXT); }
};

class CYolWMUI_OkCancelDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override
    {
        caption = DialogString(key == ELeft ? 276 : RightKeyString());
        return 1;
    }
    virtual int RightKeyString() const { return 277; }
    void OnSoftKey(TSoftKey key) override
    {
        if (key == ELeft)
            EndDialog(1);
        else
            ::EndDialog(m_hWnd, 2);
    }
};

} // namespace UI
