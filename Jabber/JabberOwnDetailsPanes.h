#pragma once
// The own-details pages of an XMPP account: seven editable pages over the
// account's own detail values (account values of the protocols manager,
// read and written through XmppAccountDetailStore, which the manager locks).
// Applying the "About" page publishes the own vCard; the publish itself
// runs on the account's queue thread.

#include "CJabberPan.h"
#include "JabberDetailTables.h"
#include "XmppOwnDetailStore.h"

#include <cstddef>

// The pages that are only edit controls over text keys.
class CEditTextPan : public CJabberPan {
public:
    CEditTextPan(CJabberAccount* account, int captionId, unsigned int templateId, const DetailField* fields,
                 std::size_t fieldCount, const TLabel* labels, std::size_t labelCount);

    int DoDataExchange(int save) override;

protected:
    XmppAccountDetailStore store;

private:
    const DetailField* fields;
    std::size_t fieldCount;
    const TLabel* labels;
    std::size_t labelCount;
};

class CEditGeneralPan final : public CEditTextPan {
public:
    explicit CEditGeneralPan(CJabberAccount* account);
    // The login is shown, never written.
    int DoDataExchange(int save) override;
};

class CEditHomePan final : public CEditTextPan {
public:
    explicit CEditHomePan(CJabberAccount* account);
};

class CEditWorkPan final : public CEditTextPan {
public:
    explicit CEditWorkPan(CJabberAccount* account);
};

class CEditCompanyPan final : public CEditTextPan {
public:
    explicit CEditCompanyPan(CJabberAccount* account);
};

class CEditPhonesPan final : public CEditTextPan {
public:
    explicit CEditPhonesPan(CJabberAccount* account);
};

class CEditPersonalPan final : public CJabberPan {
public:
    explicit CEditPersonalPan(CJabberAccount* account);
    int DoDataExchange(int save) override;

private:
    void LoadBirthday();
    void SaveBirthday();

    XmppAccountDetailStore store;
};

class CEditAboutPan final : public CJabberPan {
public:
    explicit CEditAboutPan(CJabberAccount* account);
    // The vCard is published once more as the dialog closes.
    ~CEditAboutPan() override;
    int DoDataExchange(int save) override;

private:
    XmppAccountDetailStore store;
};

// A stored birthday the pages show: the three parts all readable and
// within 1-2099, 1-12 and 1-31.
bool IsShownBirthday(unsigned int year, unsigned int month, unsigned int day);
