#pragma once
// The contact-details pages of an XMPP account: seven read-only pages over
// the detail values stored on the contact's list item, with one field the
// user writes: the own note on the contact. The contact list locks its own
// values; the pages read them on the user-interface thread.

#include "CJabberPan.h"
#include "JabberOwnDetailsPanes.h"

#include <cstddef>

namespace CL {
class CContactList;
}

class CViewTextPan : public CJabberPan {
public:
    CViewTextPan(CJabberAccount* account, unsigned int contact, int captionId, unsigned int templateId,
                 const DetailField* fields, std::size_t fieldCount, const TLabel* labels, std::size_t labelCount);

    int DoDataExchange(int save) override;
    unsigned int Contact() const { return contact; }

protected:
    // Null when the program has no contact list.
    CL::CContactList* ContactList() const;
    // False when the item has no such value.
    bool ReadText(const char16_t* key, CYolString& out) const;
    bool ReadNumber(const char16_t* key, bool word, unsigned int& out) const;

private:
    unsigned int contact;
    const DetailField* fields;
    std::size_t fieldCount;
    const TLabel* labels;
    std::size_t labelCount;
};

class CViewGeneralPan final : public CViewTextPan {
public:
    CViewGeneralPan(CJabberAccount* account, unsigned int contact);
};

class CViewHomePan final : public CViewTextPan {
public:
    CViewHomePan(CJabberAccount* account, unsigned int contact);
};

class CViewWorkPan final : public CViewTextPan {
public:
    CViewWorkPan(CJabberAccount* account, unsigned int contact);
};

class CViewCompanyPan final : public CViewTextPan {
public:
    CViewCompanyPan(CJabberAccount* account, unsigned int contact);
};

class CViewPhonesPan final : public CViewTextPan {
public:
    CViewPhonesPan(CJabberAccount* account, unsigned int contact);
};

class CViewPersonalPan final : public CViewTextPan {
public:
    CViewPersonalPan(CJabberAccount* account, unsigned int contact);
    int DoDataExchange(int save) override;
};

class CViewAboutPan final : public CViewTextPan {
public:
    CViewAboutPan(CJabberAccount* account, unsigned int contact);
    // Only the note is stored back.
    int DoDataExchange(int save) override;
};

// How the Personal page shows a stored birthday; empty when it is not one
// it shows.
CYolString BirthdayText(unsigned int year, unsigned int month, unsigned int day);
