#pragma once
// The search pages of an XMPP account: "By JID", "By Email" and "Global".
// Each page copies its fields into the account's search criteria when the
// find-user dialog starts a search; the search itself then runs on the
// account's queue thread, after the copy (the start command is queued
// behind it).

#include "CJabberPan.h"
#include "XmppSearch.h"

class CSearchPan : public CJabberPan {
public:
    // One edit control and the criterion it fills.
    struct TField {
        int control;
        CYolString SearchParams::*criterion;
        int maxChars;
    };

    CSearchPan(CJabberAccount* account, SearchParams* params, int captionId, unsigned int templateId,
               const TField* fields, std::size_t fieldCount, const TLabel* labels, std::size_t labelCount);

    int DoDataExchange(int save) override;

private:
    SearchParams* params;
    const TField* fields;
    std::size_t fieldCount;
    const TLabel* labels;
    std::size_t labelCount;
};

class CSearchByJidPan final : public CSearchPan {
public:
    CSearchByJidPan(CJabberAccount* account, SearchParams* params);
};

class CSearchByEmailPan final : public CSearchPan {
public:
    CSearchByEmailPan(CJabberAccount* account, SearchParams* params);
};

class CSearchGlobalPan final : public CSearchPan {
public:
    CSearchGlobalPan(CJabberAccount* account, SearchParams* params);
};
