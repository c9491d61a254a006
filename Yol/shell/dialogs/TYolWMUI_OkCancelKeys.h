#pragma once
// The soft keys of the dialogs that only confirm or cancel: left "OK" saves
// and closes (the dialog stays open when its data exchange refuses), right
// "Cancel" closes without saving.

#include "CYolString.h"
#include "CYolWMUI_Dlg.h"
#include "DialogStrings.h"
#include "UiHelpers.h"
#include "WindowSystem/Dialog.h"

namespace UI {

template <class Base>
class TYolWMUI_OkCancelKeys : public Base {
public:
    using typename Base::TSoftKey;

    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override
    {
        return GetOkCancelSoftKeyCap(key, caption, DialogStrings()) ? 1 : 0;
    }

    void OnSoftKey(TSoftKey key) override
    {
        if (key == Base::ELeft)
            this->EndDialog(1);
        else
            ::EndDialog(this->Handle(), 2);
    }
};

} // namespace UI
