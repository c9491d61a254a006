#include "DialogStrings.h"

#include "Controls/ControlCombo.h"
#include "CYolWMUI_Dlg.h"
#include "DefaultUiStrings.h"
#include "WindowSystem/MessageQueue.h"
#include "WindowSystem/Window.h"
#include "YolComboEntries.h"

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

// Combo box entries set from a string id: one whose text has changed since
// (the list was refilled) is no longer one of them.
std::vector<TComboLabel> g_comboEntries;

void DropDestroyedLabels()
{
    for (auto it = g_labels.begin(); it != g_labels.end();)
        it = IsWindow(it->first) ? std::next(it) : g_labels.erase(it);
    std::erase_if(g_comboEntries, [](const TComboLabel& entry) { return !IsWindow(entry.combo); });
    g_cleanUpAt = std::max<size_t>(64, (g_labels.size() + g_comboEntries.size()) * 2);
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
    std::erase_if(g_comboEntries, [&](const TComboLabel& entry) {
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
    RelabelComboEntries(g_comboEntries, &DialogString);
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
