#pragma once
// UI::CYolWMAppHistoryContext: what the history store asks of the program,
// answered from the contact-list model and the protocols manager (looked up
// on each call), the preferences and the message windows.
//
// Any thread may call it; the preferences it reads change only on the UI
// thread, where the application appends and loads history.

#include "AppPorts.h"
#include "CHistoryContext.h"

namespace Services {
class CServicesManager;
}

namespace UI {

struct TYolWMPrefs;

class CYolWMAppHistoryContext final : public CHistoryContext {
public:
    CYolWMAppHistoryContext(Services::CServicesManager& services, const TYolWMPrefs& prefs,
                            MYolWMApp_MessageWindows* messageWindows)
        : services(services), prefs(prefs), messageWindows(messageWindows) {}

    unsigned int GetItemAccount(unsigned int id) override;
    bool GetItemString(unsigned int id, const CYolString& name, CYolString& out) override;
    unsigned int GetParentId(unsigned int id) override;
    void GetMetaSubContacts(unsigned int metaContactId, CYolArray<unsigned int>& out) override;
    CYolString GetAccountProtocolName(unsigned int accountId) override;
    CYolString GetAccountLogin(unsigned int accountId) override;
    unsigned char GetPreferenceByte(const CYolString& name) override;
    CYolString GetOwnName() override;

private:
    Services::CServicesManager& services;
    const TYolWMPrefs& prefs;
    MYolWMApp_MessageWindows* messageWindows;
};

}  // namespace UI
