#pragma once
// What the contact-list items read of the rest of the program: the
// contact-list model and the protocols manager, looked up in the services
// manager on each use, and the language strings of their captions. Set once
// by the application before the views are built.

#include "CYolString.h"

namespace Services {
class CServicesManager;
}
namespace Protocols {
class CProtocolsManager;
}

namespace CL {

class CContactList;

class MYol_CLStrings {
public:
    virtual CYolString GetString(int languageId) = 0;

protected:
    ~MYol_CLStrings() = default;
};

class CYol_CLEnvironment {
public:
    static void Set(Services::CServicesManager* services, MYol_CLStrings* strings);
    static CContactList* Model();
    static Protocols::CProtocolsManager* Manager();
    static CYolString String(int languageId);
    // Status number 2 or more of the account (0: the global status).
    static bool IsAccountOnline(unsigned int accountId);
    static CYolString ItemString(unsigned int id, const char16_t* key);
};

}  // namespace CL
