#pragma once
// The templates of the dialogs that are one list filling their area: the
// metacontact tree and the find-user dialog's result page. Registered under
// the dialogs' module (GetYolDialogsInstance) on first use.

namespace UI {

enum TYolListDialogTemplate : int {
    kMoveContactDlgTemplate = 102,
    kFindResultPaneTemplate = 160,
};
constexpr int kMetaTreeId = 1198;
constexpr int kResultListId = 1022;

void EnsureYolListDialogTemplates();

} // namespace UI
