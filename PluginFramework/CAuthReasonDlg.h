#pragma once
// CAuthReasonDlg: the full-screen dialog in which the user writes the reason
// that goes with an authorization request: a prompt over one edit, the
// plug-in's "OK" and "Cancel" on the soft keys. The template is the
// plug-in's own (its module, the id it registered), with the prompt and the
// edit under the ids below. It runs modally on the user-interface thread,
// inside a menu entry's call-back, and reaches the skin only through the
// services manager, never an account, whose state belongs to its own queue
// thread. Its texts are the plug-in's string ids: they follow a switch of
// the plug-in's language while the dialog is open.

#include "CServicesManager.h"
#include "CYolString.h"
#include "CYolWMUI_Dlg.h"

class CAuthReasonDlg : public UI::CYolWMUI_BigDlg {
public:
    static constexpr int kPrompt = 1097;
    static constexpr int kReasonEdit = 1098;
    // The longest reason the dialog hands back.
    static constexpr int kReasonChars = 256;

    // The string ids of the texts shown, and the plug-in's look-up of a
    // string id in its language in force.
    struct TTexts {
        CYolString (*text)(int id);
        // kOwnTitle keeps the template's title.
        int title;
        int prompt;
        int ok;
        int cancel;
    };
    static constexpr int kOwnTitle = -1;

    // Shows the dialog of template `templateId` of this plug-in with
    // `reason` in its edit, focused; when the user accepts, `reason` takes
    // the edited text and the answer is true. Cancelling leaves `reason` as
    // it was. Without a parent the dialog opens over the active window.
    static bool Run(Services::CServicesManager* services, unsigned int templateId, const TTexts& texts,
                    CYolString& reason, HWND parent = nullptr);

    CAuthReasonDlg(Services::CServicesManager* services, const TTexts& texts, const CYolString& reason)
        : services(services), texts(texts), reason(reason) {}
    ~CAuthReasonDlg() override;
    CAuthReasonDlg(const CAuthReasonDlg&) = delete;
    CAuthReasonDlg& operator=(const CAuthReasonDlg&) = delete;

    const CYolString& Reason() const { return reason; }

    void OnCommand(unsigned short code, unsigned short id, HWND control) override;
    HBRUSH GetBkBrush() override;
    void OnInitDialog() override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;
    void OnLanguageChanged() override;

private:
    void Accept();
    void SetTexts();

    Services::CServicesManager* services;
    TTexts texts;
    CYolString reason;
    HWND watched = nullptr;
};
