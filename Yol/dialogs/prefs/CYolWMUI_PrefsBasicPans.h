#pragma once
// The panes that are mostly check boxes over the preferences record:
// general, contact list, events, history and hardware. Each check box is a
// row of one table (control, label, field, change type), so loading and
// saving is one walk over the rows.

#include "CYolWMUI_PrefsDlg.h"

#include <vector>

namespace UI {

// One check box over a bool field or a byte-value field of the record.
struct TPrefsCheckRow {
    int control;
    int label;
    int labelString;
    bool TYolWMPrefs::*flag;
    unsigned int TYolWMPrefs::*value;
    // Announced when the saved value differs; -1 none.
    int change;
};

// A pane whose check boxes come from a table.
class CYolWMUI_PrefsCheckPan : public CYolWMUI_PrefsDlg::CPrefsPan {
public:
    CYolWMUI_PrefsCheckPan(CYolWMUI_PrefsDlg& owner, int caption, int image, int templateId,
                           std::vector<TPrefsCheckRow> rows);

    int DoDataExchange(int save) override;
    void OnCommand(unsigned short code, unsigned short id, HWND control) override;

protected:
    // The pane's own fields besides the check boxes, and its enable rules.
    virtual void LoadMore() {}
    virtual void SaveMore() {}
    virtual void ApplyRules() {}
    // A button other than a check box was clicked.
    virtual void OnButton(int) {}

private:
    std::vector<TPrefsCheckRow> m_rows;
};

class CYolWMUI_PrefsDlg::CGeneralPan : public CYolWMUI_PrefsCheckPan {
public:
    explicit CGeneralPan(CYolWMUI_PrefsDlg& owner);

protected:
    void LoadMore() override;
    void SaveMore() override;
    void OnButton(int id) override;
};

class CYolWMUI_PrefsDlg::CCLPan : public CYolWMUI_PrefsCheckPan {
public:
    explicit CCLPan(CYolWMUI_PrefsDlg& owner);

protected:
    void LoadMore() override;
    void SaveMore() override;
    void OnButton(int id) override;
};

class CYolWMUI_PrefsDlg::CNotifyPan : public CYolWMUI_PrefsCheckPan {
public:
    explicit CNotifyPan(CYolWMUI_PrefsDlg& owner);

protected:
    void LoadMore() override;
    void ApplyRules() override;
};

class CYolWMUI_PrefsDlg::CHistPan : public CYolWMUI_PrefsCheckPan {
public:
    static constexpr unsigned int kMinCount = 1;
    static constexpr unsigned int kMaxCount = 20;

    explicit CHistPan(CYolWMUI_PrefsDlg& owner);
    bool Validate() override;

protected:
    void LoadMore() override;
    void SaveMore() override;
    void ApplyRules() override;
};

class CYolWMUI_PrefsDlg::CHardPan : public CYolWMUI_PrefsCheckPan {
public:
    explicit CHardPan(CYolWMUI_PrefsDlg& owner);

protected:
    void LoadMore() override;
    void SaveMore() override;

private:
    void FillLeds(int comboId, unsigned char stored, unsigned int count);
    unsigned char ReadLed(int comboId) const;
};

} // namespace UI
