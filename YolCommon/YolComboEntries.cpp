#include "YolComboEntries.h"

#include "Controls/ControlCombo.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <algorithm>
#include <vector>

namespace UI {

namespace {

CYolString ComboEntryText(HWND combo, int index)
{
    const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return CYolString();
    std::vector<char16_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT got =
        SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return got > 0 ? CYolString(buffer.data(), static_cast<int>(std::min(got, length))) : CYolString();
}

// False when the entry is no longer the one set.
bool RelabelComboEntry(TComboLabel& entry, const CYolString& text)
{
    if (!(ComboEntryText(entry.combo, entry.index) == entry.text))
        return false;
    if (text == entry.text)
        return true;
    const WPARAM at = static_cast<WPARAM>(entry.index);
    const LRESULT selected = SendMessage(entry.combo, CB_GETCURSEL, 0, 0);
    const LRESULT data = SendMessage(entry.combo, CB_GETITEMDATA, at, 0);
    SendMessage(entry.combo, CB_DELETESTRING, at, 0);
    if (SendMessage(entry.combo, CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(text.c_str())) != entry.index)
        return false;
    SendMessage(entry.combo, CB_SETITEMDATA, at, data);
    if (selected != CB_ERR)
        SendMessage(entry.combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    entry.text = text;
    return true;
}

} // namespace

void RelabelComboEntries(std::vector<TComboLabel>& entries, const std::function<CYolString(int)>& text)
{
    std::vector<TComboLabel> walked;
    walked.swap(entries);
    std::vector<TComboLabel> kept;
    for (TComboLabel& entry : walked)
        if (IsWindow(entry.combo) && RelabelComboEntry(entry, text(entry.stringId)))
            kept.push_back(std::move(entry));
    kept.insert(kept.end(), entries.begin(), entries.end());
    entries = std::move(kept);
}

} // namespace UI
