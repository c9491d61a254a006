#pragma once
// The contact-details pages of an MRIM account: "General", "Home" and
// "Personal". They show what the directory's answer left in the contact's
// item of the program's list and change nothing. A page reads the list
// each time it is filled, so an answer that comes while the dialog is open
// shows when the dialog fills its pages again, and one that comes after it
// closed touches no page.

#include "CZemPan.h"

class CZemDetailsPan : public CZemPan {
public:
    CZemDetailsPan(CZemAccount* account, unsigned int item, int captionId, unsigned int templateId);

    int DoDataExchange(int save) override;

protected:
    // Fills the page's fields from the item; `labels` are set before.
    virtual void Fill() = 0;
    virtual void SetPageLabels() = 0;
    bool ReadString(const char16_t* key, CYolString& out);
    bool ReadNumber(const char16_t* key, unsigned int& out);
    unsigned int Item() const { return item; }

private:
    unsigned int item;
};

class CZemDetailsGeneralPan final : public CZemDetailsPan {
public:
    CZemDetailsGeneralPan(CZemAccount* account, unsigned int item);

protected:
    void Fill() override;
    void SetPageLabels() override;
};

class CZemDetailsHomePan final : public CZemDetailsPan {
public:
    CZemDetailsHomePan(CZemAccount* account, unsigned int item);

protected:
    void Fill() override;
    void SetPageLabels() override;
};

class CZemDetailsPersonalPan final : public CZemDetailsPan {
public:
    CZemDetailsPersonalPan(CZemAccount* account, unsigned int item);

    // "dd/mm/yyyy"; a part that is 0 is left out, the slashes stay.
    static CYolString BirthdayText(unsigned int day, unsigned int month, unsigned int year);

protected:
    void Fill() override;
    void SetPageLabels() override;
};
