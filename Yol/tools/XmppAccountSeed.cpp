// One XMPP account written into a program folder's settings file.

#include "XmppAccountSeed.h"

#include "CProtocolsManagerImpl.h"
#include "CServicesManagerImpl.h"
#include "CYolPath.h"
#include "CoreServices.h"

void XmppAccountSeed::WriteInto(const std::string& folder) const {
    const CYolString previous = CYolPath::AppDir();
    CYolPath::SetAppDir(CYolString::FromUtf8(folder));
    {
        Services::CServicesManagerImpl manager;
        Core::CreateServices(manager);
        Protocols::CProtocolsManagerImpl& pm = *Core::g_protocolsManager;
        const unsigned int account = pm.AddAccount(JabberProtocolGuid);
        auto s = [](const std::string& text) { return CYolString::FromUtf8(text); };
        pm.SetAccountString(account, s("SrvLogName"), s(jid), false);
        pm.SetAccountString(account, s("SrvLogPass"), s(password), true);
        pm.SetAccountDword(account, s("SrvConPort"), port);
        pm.SetAccountByte(account, s("SrvSpecBool1"), 0);
        // The server's address is given, not looked up from the JID.
        pm.SetAccountByte(account, s("SrvSpecBool2"), 1);
        pm.SetAccountString(account, s("SrvSpecString2"), s(host), false);
        pm.SetAccountDword(account, s("SrvSpecDword2"), port);
        pm.SetAccountByte(account, s("Status"), 2);
        // The account writes the settings it holds when it shuts down: it
        // must hold these by then.
        pm.ReloadAccountSettings(account);
        Core::DestroyServices(manager);
    }
    CYolPath::SetAppDir(previous);
}
