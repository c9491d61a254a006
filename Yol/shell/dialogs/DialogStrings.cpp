#include "DialogStrings.h"

#include "DefaultUiStrings.h"

#include <atomic>

namespace UI {

namespace {

std::atomic<UiStringSource> g_source{&GetDefaultUiString};

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
