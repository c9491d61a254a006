#include "DialogStrings.h"

#include "Controls/ControlCombo.h"
#include "CYolWMUI_Dlg.h"
#include "DefaultUiStrings.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <vector>

namespace UI {

namespace {

std::atomic<UiStringSource> g_source{&GetDefaultUiString};

// The remembered labels. A destroyed window's handle is never used again,
// so an entry of one is only dead weight: it goes at the next clean-up.
std::unordered_map<HWND, int> g_labels;
size_t g_cleanUpAt = 64;

// Combo box entries set from a string id, with the text they were given: an
// entry whose text has changed since (the list was refilled) is no longer
// one of them.
struct TComboEntry {
    HWND combo;
    int index;
    int stringId;
    CYolString text;
};
std::vector<TComboEntry> g_comboEntries;

void DropDestroyedLabels()
{
    for (auto it = g_labels.begin(); it != g_labels.end();)
        it = IsWindow(it->first) ? std::next(it) : g_labels.erase(it);
    std::erase_if(g_comboEntries, [](const TComboEntry& entry) { return !IsWindow(entry.combo); });
    g_cleanUpAt = std::max<size_t>(64, (g_labels.size() + g_comboEntries.size()) * 2);
}

CYolString EntryText(HWND combo, int index)
{
    const LRESULT length = SendMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return CYolString();
    std::vector<char16_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT got =
        SendMessage(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return got > 0 ? CYolString(buffer.data(), static_cast<int>(std::min(got, length))) : CYolString();
}

// Answers whether the entry is still the one remembered (then it is
// renamed).
bool RelabelComboEntry(TComboEntry& entry)
{
    if (!(EntryText(entry.combo, entry.index) == entry.text))
        return false;
    const CYolString text = DialogString(entry.stringId);
    if (text == entry.text)
        return true;
    const WPARAM index = static_cast<WPARAM>(entry.index);
    const LRESULT selected = SendMessage(entry.combo, CB_GETCURSEL, 0, 0);
    const LRESULT data = SendMessage(entry.combo, CB_GETITEMDATA, index, 0);
    SendMessage(entry.combo, CB_DELETESTRING, index, 0);
    if (SendMessage(entry.combo, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str())) != entry.index)
        return false;
    SendMessage(entry.combo, CB_SETITEMDATA, index, data);
    if (selected != CB_ERR)
        SendMessage(entry.combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    entry.text = text;
    return true;
}

} // namespace

void SetDialogStrings(UiStringSource source)
{
    g_source = source ? source : &GetDefaultUiString;
}

UiStringSource DialogStrings()
{
    return g_source.load();
}

CYolString DialogString(int id)
{
    CYolString text;
    if (!DialogStrings()(id, text))
        return CYolString();
    return text;
}

void SetWindowString(HWND window, int stringId)
{
    if (window == nullptr)
        return;
    SetWindowTextString(window, DialogString(stringId));
    if (g_labels.size() + g_comboEntries.size() >= g_cleanUpAt)
        DropDestroyedLabels();
    g_labels[window] = stringId;
}

void ForgetWindowString(HWND window)
{
    g_labels.erase(window);
}

int AddComboString(HWND combo, int stringId)
{
    const CYolString text = DialogString(stringId);
    const LRESULT index = SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR || index < 0)
        return CB_ERR;
    if (g_labels.size() + g_comboEntries.size() >= g_cleanUpAt)
        DropDestroyedLabels();
    std::erase_if(g_comboEntries, [&](const TComboEntry& entry) {
        return entry.combo == combo && entry.index == static_cast<int>(index);
    });
    g_comboEntries.push_back({combo, static_cast<int>(index), stringId, text});
    return static_cast<int>(index);
}

int WindowStringId(HWND window)
{
    const auto found = g_labels.find(window);
    return found != g_labels.end() && IsWindow(window) ? found->second : -1;
}

void RelabelWindows()
{
    DropDestroyedLabels();
    // Setting a text runs the control's handlers, which may set labels of
    // their own: walk copies.
    const std::unordered_map<HWND, int> labels = g_labels;
    for (const auto& [window, stringId] : labels)
        SetWindowTextString(window, DialogString(stringId));
    std::vector<TComboEntry> entries;
    entries.swap(g_comboEntries);
    std::vector<TComboEntry> kept;
    for (TComboEntry& entry : entries)
        if (RelabelComboEntry(entry))
            kept.push_back(std::move(entry));
    kept.insert(kept.end(), g_comboEntries.begin(), g_comboEntries.end());
    g_comboEntries = std::move(kept);
    // Posted, not sent: a window of another thread is told without this
    // thread waiting for it.
    std::vector<HWND> topLevels;
    for (HWND window = GetWindow(FindWindow(nullptr, nullptr), GW_HWNDFIRST); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT))
        topLevels.push_back(window);
    for (HWND window : topLevels)
        PostMessage(window, kLanguageChangedMessage, 0, 0);
}

bool IsBlankText(const CYolString& text)
{
    for (int i = 0; i < text.Length(); ++i) {
        const char16_t c = text.c_str()[i];
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
            return false;
    }
    return true;
}

} // namespace UI
