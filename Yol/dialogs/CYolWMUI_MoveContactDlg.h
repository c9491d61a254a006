#pragma once
// The dialog that moves a contact into a metacontact: a tree of the meta
// groups with their metacontacts (the contact's own one left out), topped by
// "New metacontact" when the contact shares its metacontact with others.
// OK takes the selected metacontact, or 0 for a new one; a meta group or no
// selection is refused and the dialog stays open.
//
// UI thread only.

#include "CYolWMUI_SkinnedDlg.h"

#include <cstdint>

namespace CL {
class CContactList;
}

namespace UI {

class CYolWMUI_MoveContactDlg : public CYolWMUI_OkCancelDlg {
public:
    // `current`: the metacontact that holds the contact now.
    CYolWMUI_MoveContactDlg(CL::CContactList* list, unsigned int current) : m_list(list), m_current(current) {}

    // Modal on template 102; 1 with `Chosen()` set, 2 cancelled.
    std::intptr_t DoModal(HWND parent);
    // The whole step of the contact list's command: true with the target.
    static bool Run(HWND parent, CL::CContactList* list, unsigned int current, unsigned int& chosen);

    void OnInitDialog() override;
    int DoDataExchange(int save) override;
    void OnScreenSizeChanged() override;

    unsigned int Chosen() const { return m_chosen; }

    // Tree values besides metacontact ids.
    static constexpr LPARAM kNewMetaValue = -1;
    static constexpr LPARAM kMetaGroupValue = 0;

private:
    void Fill();
    CYolString Alias(unsigned int id) const;

    CL::CContactList* m_list;
    unsigned int m_current;
    unsigned int m_chosen = 0;
};

} // namespace UI
