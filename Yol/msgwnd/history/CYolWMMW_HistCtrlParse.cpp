#include "CYolWMMW_HistCtrl.h"

#include "CYolWMSmile_Set.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <string_view>

namespace MW {

namespace {

using TParseItem = CYolWMMW_HistCtrl::TParseItem;

constexpr std::u16string_view kLinkPrefixes[] = {u"http://", u"www."};

// White space by the Unicode classes, the same whatever locale the process
// runs in.
bool IsSpace(char16_t c)
{
    static const locale_t classes = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (classes == static_cast<locale_t>(nullptr))
        return c == u' ' || (c >= u'\t' && c <= u'\r');
    return iswspace_l(static_cast<wint_t>(c), classes) != 0;
}

int LinkEnd(std::u16string_view text, int start)
{
    int end = start;
    while (end < static_cast<int>(text.size()) && text[static_cast<std::size_t>(end)] != u',' &&
           !IsSpace(text[static_cast<std::size_t>(end)]))
        ++end;
    return end;
}

// Puts the run in its place by start, unless it overlaps a run already
// there.
bool Accept(CYolArray<TParseItem>& runs, const TParseItem& run)
{
    const int end = run.start + run.length;
    int place = 0;
    while (place < runs.Count() && runs[place].start < end)
        ++place;
    if (place > 0 && runs[place - 1].start + runs[place - 1].length > run.start)
        return false;
    runs.InsertAt(place, run);
    return true;
}

void FindLinks(std::u16string_view text, CYolArray<TParseItem>& runs)
{
    for (std::u16string_view prefix : kLinkPrefixes) {
        std::size_t from = 0;
        for (std::size_t at = text.find(prefix, from); at != std::u16string_view::npos; at = text.find(prefix, from)) {
            const int start = static_cast<int>(at);
            const int end = LinkEnd(text, start);
            const bool taken = Accept(runs, TParseItem{TParseItem::ELinkRun, start, end - start, -1, -1});
            from = taken ? static_cast<std::size_t>(end) : at + 1;
        }
    }
}

// Answers false once the limit is reached.
bool FindCode(std::u16string_view text, std::u16string_view code, int smile, int codeIndex, int limit, int& found,
              CYolArray<TParseItem>& runs)
{
    std::size_t from = 0;
    for (std::size_t at = text.find(code, from); at != std::u16string_view::npos; at = text.find(code, from)) {
        const TParseItem run{TParseItem::ESmile, static_cast<int>(at), static_cast<int>(code.size()), smile,
                             codeIndex};
        if (Accept(runs, run)) {
            if (++found >= limit)
                return false;
            from = at + code.size();
        } else {
            from = at + 1;
        }
    }
    return true;
}

void FindSmileys(std::u16string_view text, int limit, CYolArray<TParseItem>& runs)
{
    const Smile::CYolWMSmile_Set* set = Smile::CYolWMSmile_Set::Current();
    if (limit <= 0 || set == nullptr || !set->IsLoaded())
        return;
    int found = 0;
    for (int s = 0; s < set->Count(); ++s) {
        const CYolArray<CYolString>& codes = set->Get(s)->Codes();
        for (int c = 0; c < codes.Count(); ++c) {
            // An empty code would match everywhere and nowhere.
            if (codes[c].Length() == 0)
                continue;
            const std::u16string_view code(codes[c].c_str(), static_cast<std::size_t>(codes[c].Length()));
            if (!FindCode(text, code, s, c, limit, found, runs))
                return;
        }
    }
}

} // namespace

void CYolWMMW_HistCtrl::ParseText(const CYolString& text, int smileLimit, CYolArray<TParseItem>& runs)
{
    runs.Clear();
    runs.SetGrowStep(10);
    const std::u16string_view chars(text.c_str(), static_cast<std::size_t>(text.Length()));
    FindLinks(chars, runs);
    FindSmileys(chars, smileLimit, runs);
}

} // namespace MW
