#pragma once
// CAccountSetsPan: the base of every page a plug-in adds to the program's
// tabbed dialogs (account settings, own details, contact details, search).
// The account makes its pages on its queue thread when the program asks
// for them; from then on they belong to the dialog, which shows them and
// runs them on the user-interface thread, and which deletes them through
// YolTabDlg::IPan.
//
// Across the plug-in boundary: a page is made and deleted by the plug-in's
// own code (its deleting destructor is the plug-in's), and the caption and
// image lists it hands out are the common library's types. While a page
// lives it holds its account (CAccount::HoldForPane), so deleting the
// account while a dialog is open leaves the object in place until the
// dialog lets its pages go; the dialog holds the plug-in's library for as
// long as it has pages of it, so the library is never unloaded under an
// open dialog.
//
// A page talks to its account only through what it was given when it was
// made (the account's ids and its services manager), never through the
// account's state, which belongs to the account's queue thread.
//
// Texts set from string ids (SetItemString, SetLabels, AddComboString) are
// remembered: when the plug-in switches its language the page is posted
// UI::kLanguageChangedMessage and sets them again in the new language, on
// its own thread, and asks its dialog for the tab's caption again.

#include "CAccount.h"
#include "CYolArray.h"
#include "CYolString.h"
#include "CYolWMUI_TabPan.h"
#include "YolComboEntries.h"
#include "YolTabDlg.h"

#include <cstddef>
#include <map>
#include <vector>

class CAccountSetsPan : public UI::CYolWMUI_SettingsPan {
public:
    // A control and the string id of its label text.
    struct TLabel {
        int control;
        int stringId;
    };
    // The password edit and its "Show password" box, alike on the account
    // page of every plug-in.
    struct TPasswordControls {
        int password;
        int showPassword;
    };

    explicit CAccountSetsPan(Protocols::CAccount* account);
    ~CAccountSetsPan() override;
    CAccountSetsPan(const CAccountSetsPan&) = delete;
    CAccountSetsPan& operator=(const CAccountSetsPan&) = delete;

    // The skin's background and label colours.
    HBRUSH GetBkBrush() override;
    COLORREF GetTextColor() override;

    // Pages have no tab images unless they say otherwise.
    CYolArray<unsigned int> GetImages() override;

    Protocols::CAccount* Account() const { return account; }
    unsigned int AccountId() const { return accountId; }
    Services::CServicesManager* ServicesManager() const { return services; }

    // Watches the plug-in's language from the moment the window exists.
    void OnCreate() override;
    int OnMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;

protected:
    // The plug-in's text of a string id (its language pack, else English).
    virtual CYolString PaneString(int id) = 0;

    // {this plug-in's module, id}.
    static YolTabDlg::TDlgTemplate PluginTemplate(unsigned int id);

    // Each control shows its string id's text from now on, in the language
    // in force.
    void SetLabels(const TLabel* labels, std::size_t count);
    void SetItemString(int control, int stringId);
    // Appends string id's text to a combo box's list; the entry follows the
    // language while it keeps that text. Answers its index (CB_ERR when
    // there is no such combo box).
    int AddComboString(int control, int stringId);
    // At most maxChars characters of the control's text: what a record of
    // that size can hold.
    CYolString GetItemText(int control, int maxChars) const;
    // A text of the page's own (a value): a switch of language leaves it.
    void SetItemText(int control, const CYolString& text);
    bool IsChecked(int control) const;
    void SetChecked(int control, bool checked);
    void EnableItem(int control, bool enable);

    // The control's text as a whole number from `min` to `max`. Anything else
    // is refused: the user is told `message`, the control gets the focus and
    // the answer is false, so the dialog stays open.
    bool ReadNumber(int control, unsigned int min, unsigned int max, const CYolString& message,
                    unsigned int& out);
    // Shows a text to the user through the program (AccountEvent::ShowText).
    void TellUser(const CYolString& text);

    // What a stored password shows as: it is never read back into the edit.
    static constexpr char16_t kPasswordMask[] = u"**************";
    // A stored password shows as the mask, hidden, and cannot be shown; an
    // empty edit shows what is typed as the user last chose on any page of
    // this plug-in (remembered while it is loaded, never stored).
    void LoadPassword(const TPasswordControls& controls, bool stored);
    // The two controls' notifications; false for any other.
    bool OnPasswordCommand(const TPasswordControls& controls, unsigned short code, unsigned short id);
    // The typed password (at most maxChars characters); false while the
    // edit still shows the mask, so the stored password stays. Remembers the
    // "Show password" choice.
    bool TypedPassword(const TPasswordControls& controls, int maxChars, CYolString& typed);

    // The plug-in's language changed: the remembered texts are set again
    // and the dialog is asked for the tab captions again.
    virtual void OnLanguageChanged();

private:
    void ShowPasswordText(int password, bool plain);

    // Control to string id, and the combo box entries set from string ids.
    std::map<int, int> remembered;
    std::vector<UI::TComboLabel> comboLabels;
    HWND watched = nullptr;

    Protocols::CAccount* account;
    Services::CServicesManager* services;
    unsigned int accountId;
};
