// The control's text: copying and quoting ranges of paragraphs, and
// finding text from the caret on.

#include "CYolWMRTE_Ctrl.h"

#include "CYolString.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace RTE {

namespace {

constexpr char16_t kParaBreak[] = u"\r\n\r\n";
constexpr char16_t kQuote[] = u"> ";

char16_t* Copy(const std::u16string& text)
{
    auto* out = new char16_t[text.size() + 1];
    std::memcpy(out, text.data(), sizeof(char16_t) * text.size());
    out[text.size()] = 0;
    return out;
}

char16_t Fold(char16_t ch, bool matchCase) { return matchCase ? ch : CYolString::ToLowerChar(ch); }

bool Separates(char16_t ch) { return CYolString::IsSpace(ch) || CYolString::IsPunct(ch); }

} // namespace

char16_t* CYolWMRTE_Ctrl::JoinText(TPosition first, TPosition last, bool quote) const
{
    std::u16string out;
    for (int p = first.para; p <= last.para && p < m_document.Count(); ++p) {
        if (p > first.para)
            out += kParaBreak;
        if (quote)
            out += kQuote;
        std::unique_ptr<char16_t[]> text(
            m_document[p]->GetText(p == first.para ? first.ch : 0, p == last.para ? last.ch : -1));
        out += text.get();
    }
    return Copy(out);
}

char16_t* CYolWMRTE_Ctrl::GetSelectedText(bool quote) const
{
    const CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr || !view->HasSelection() || m_document.Count() == 0)
        return nullptr;
    return JoinText(view->SelectionStart(), view->SelectionEnd(), quote);
}

char16_t* CYolWMRTE_Ctrl::GetLastParaText(bool quote) const
{
    const int last = m_document.Count() - 1;
    if (last < 0)
        return nullptr;
    return JoinText(TPosition{last, 0, 0}, TPosition{last, -1, 0}, quote);
}

char16_t* CYolWMRTE_Ctrl::GetAllText(bool quote) const
{
    if (m_document.Count() == 0)
        return nullptr;
    return JoinText(TPosition{0, 0, 0}, TPosition{m_document.Count() - 1, -1, 0}, quote);
}

bool CYolWMRTE_Ctrl::MatchAt(const char16_t* text, int length, int pos, int searchStart,
                             const std::u16string& needle, int options) const
{
    const bool matchCase = (options & EFindMatchCase) != 0;
    const int n = static_cast<int>(needle.size());
    for (int i = 0; i < n; ++i)
        if (Fold(text[pos + i], matchCase) != needle[i])
            return false;
    if ((options & EFindWholeWord) == 0)
        return true;
    const bool begins = pos == 0 || pos == searchStart || Separates(text[pos - 1]);
    const bool ends = pos + n == length || Separates(text[pos + n]);
    return begins && ends;
}

// From the caret to the end, then from the start up to the caret.
int CYolWMRTE_Ctrl::Find(const char16_t* text, int options)
{
    CYolWMRTE_TextView* view = ActiveView();
    if (view == nullptr || text == nullptr || text[0] == 0 || m_document.Count() == 0)
        return 0;
    std::u16string needle(text);
    for (char16_t& ch : needle)
        ch = Fold(ch, (options & EFindMatchCase) != 0);
    const int n = static_cast<int>(needle.size());
    const TPosition caret = view->Caret();
    const int caretPara = std::clamp(caret.para, 0, m_document.Count() - 1);
    const int caretCh = caret.ch + (caret.after != 0 ? 1 : 0);
    const int count = m_document.Count();
    for (int step = 0; step <= count; ++step) {
        const int p = (caretPara + step) % count;
        const CYolWMRTE_Para& para = *m_document[p];
        const int length = para.Length();
        const bool first = step == 0;
        const bool wrapped = step == count;
        const int from = first ? caretCh : 0;
        // Back in the caret's paragraph only a match before the caret counts.
        const int lastStart = wrapped ? std::min(caretCh - 1, length - n) : length - n;
        for (int pos = from; pos <= lastStart; ++pos) {
            if (!MatchAt(para.Text(), length, pos, first ? from : -1, needle, options))
                continue;
            view->SetSelection(TPosition{p, pos, 0}, TPosition{p, pos + n - 1, 1});
            view->SetCaret(TPosition{p, pos + n - 1, 1});
            ScrollToCaret();
            Invalidate();
            return 1;
        }
    }
    return 0;
}

} // namespace RTE
