#pragma once
// The colour-scheme dialog: the 33 named colours of the scheme in a list,
// each with its swatch; a colour is edited with the colour dialog, and the
// menu sets the skin's own colours, loads a scheme file or saves one. It
// edits its own copy; the caller takes the colours back on result 1, so a
// cancelled dialog changes nothing, whatever its menu did.

#include "CYolWMUI_SkinnedDlg.h"
#include "SkinColors.h"

#include <functional>

namespace UI {

class CYolWMUI_PaletteDlg : public CYolWMUI_SkinnedDlg<CYolWMUI_BigDlg> {
public:
    enum TMenuCommand : int { EChange = 0, EDefault = 1, ELoad = 2, ESave = 3, ECancel = 4 };

    // Asks the user for a scheme file to open (save false) or to write
    // (save true) with the file mask; false when none was chosen. The
    // application sets its file dialog here; without one, loading and
    // saving do nothing.
    using TFileChooser = std::function<bool(bool save, const CYolString& mask, CYolString& path)>;
    static void SetFileChooser(TFileChooser chooser);

    // `skinName` is the skin whose colour file "Default" reads.
    CYolWMUI_PaletteDlg(const Skins::TSkinColorTable& colors, const CYolString& skinName);

    std::intptr_t DoModal(HWND parent);
    const Skins::TSkinColorTable& Colors() const { return m_colors; }

    // The menu's actions; any other command does nothing.
    void OnMenuCommand(int command);
    // Runs the colour dialog on colour `index` (0-32; others are ignored).
    void EditColor(int index);

    void OnInitDialog() override;
    void OnNotify(HWND from, unsigned int id, unsigned int code, NMHDR* header) override;
    void OnDrawItem(unsigned int id, DRAWITEMSTRUCT* item) override;
    int GetSoftKeyCap(TSoftKey key, CYolString& caption) override;
    void OnSoftKey(TSoftKey key) override;

private:
    void PopupMenu();
    void RedrawList();
    int SelectedIndex() const;

    Skins::TSkinColorTable m_colors;
    CYolString m_skinName;
};

} // namespace UI
