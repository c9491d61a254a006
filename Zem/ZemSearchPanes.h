#pragma once
// The search pages of an MRIM account: "By Email" and "Global". Both edit
// one copy of the search criteria made when the find-user dialog opened;
// when a search starts, the page posts the whole copy to the account, whose
// queue runs it before the start command queued behind it.

#include "CZemPan.h"
#include "MrimDirectory.h"

#include <memory>

class CZemSearchEmailPan final : public CZemPan {
public:
    CZemSearchEmailPan(CZemAccount* account, std::shared_ptr<ZemSearchQuery> query);
    int DoDataExchange(int save) override;

private:
    std::shared_ptr<ZemSearchQuery> query;
};

class CZemSearchGlobalPan final : public CZemPan {
public:
    CZemSearchGlobalPan(CZemAccount* account, std::shared_ptr<ZemSearchQuery> query);
    int DoDataExchange(int save) override;

private:
    void FillList(int control, const std::map<unsigned int, unsigned int>& map);
    int SelectedValue(int control);

    std::shared_ptr<ZemSearchQuery> query;
};

// Hands the criteria to the account on its own thread.
void PostSearchQuery(CAccountSetsPan& pane, const ZemSearchQuery& query);
