#include "CYolWMRTE_Para.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace RTE {

namespace {

constexpr int kRunGrowStep = 10;

bool IsBreak(char16_t ch) { return ch == u'\r' || ch == u'\n'; }

int TextLength(const char16_t* text)
{
    int n = 0;
    while (text != nullptr && text[n] != 0)
        ++n;
    return n;
}

} // namespace

CYolWMRTE_Para::CYolWMRTE_Para(int capacity)
{
    m_formats.SetGrowStep(kRunGrowStep);
    m_capacity = std::max(capacity, 1);
    m_text = new char16_t[m_capacity]();
}

CYolWMRTE_Para::CYolWMRTE_Para(const char16_t* text, const CYolArray<TFormat>& formats) : m_formats(formats)
{
    m_used = TextLength(text);
    m_capacity = m_used + 1;
    m_text = new char16_t[m_capacity];
    if (m_used > 0)
        std::memcpy(m_text, text, sizeof(char16_t) * m_used);
    m_text[m_used] = 0;
}

CYolWMRTE_Para::~CYolWMRTE_Para()
{
    delete[] m_text;
}

// A message longer than the builder planned for must not write past the
// buffer: it grows instead, by at least half again so that appending
// character by character stays linear.
void CYolWMRTE_Para::Reserve(int more)
{
    if (more > INT_MAX - 1 - m_used)
        throw std::length_error("paragraph too long");
    const int needed = m_used + more + 1;
    if (needed <= m_capacity)
        return;
    const long long grown = std::max<long long>(needed, m_capacity + m_capacity / 2LL);
    const int capacity = static_cast<int>(std::min<long long>(grown, INT_MAX));
    auto* fresh = new char16_t[capacity];
    std::memcpy(fresh, m_text, sizeof(char16_t) * (m_used + 1));
    delete[] m_text;
    m_text = fresh;
    m_capacity = capacity;
}

void CYolWMRTE_Para::AddRun(int start, int count, int kind)
{
    if (m_formats.Count() > 0 && kind != kPictureKind) {
        TFormat& last = m_formats[m_formats.Count() - 1];
        if (last.kind == kind) {
            last.length += count;
            return;
        }
    }
    TFormat run;
    run.start = start;
    run.length = count;
    run.kind = kind;
    m_formats.Add(run);
}

void CYolWMRTE_Para::AppendText(const char16_t* str, int count, int kind)
{
    if (str == nullptr || count < 1)
        return;
    Reserve(count);
    const int start = m_used;
    for (int i = 0; i < count; ++i) {
        char16_t ch = str[i];
        if (IsBreak(ch)) {
            // The other half of a CR LF or LF CR pair goes with it.
            if (i + 1 < count && IsBreak(str[i + 1]) && str[i + 1] != ch)
                ++i;
            ch = kLineSeparator;
        }
        m_text[m_used++] = ch;
    }
    m_text[m_used] = 0;
    AddRun(start, m_used - start, kind);
}

void CYolWMRTE_Para::AppendChar(char16_t ch, int kind)
{
    AppendText(&ch, 1, kind);
}

void CYolWMRTE_Para::AppendPicture(CRTEPicture* picture)
{
    Reserve(1);
    TFormat run;
    run.start = m_used;
    run.length = 1;
    run.picture = picture;
    run.kind = kPictureKind;
    m_text[m_used++] = kObjectReplacement;
    m_text[m_used] = 0;
    m_formats.Add(run);
}

int CYolWMRTE_Para::Length() const
{
    if (m_formats.Count() == 0)
        return 0;
    // Runs never claim more than the text holds.
    return std::min(m_formats[m_formats.Count() - 1].End(), m_used);
}

int CYolWMRTE_Para::FindRunAt(int pos) const
{
    const int count = m_formats.Count();
    if (count == 0)
        return -1;
    // Runs are in text order: the last one starting at or before pos.
    int lo = 0;
    int hi = count - 1;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (m_formats[mid].start <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

CRTEPicture* CYolWMRTE_Para::GetPictureAt(int pos) const
{
    const int run = FindRunAt(pos);
    if (run < 0 || !m_formats[run].IsPicture())
        return nullptr;
    return m_formats[run].picture;
}

int CYolWMRTE_Para::FindPictureRun(CRTEPicture* picture) const
{
    for (int i = 0; i < m_formats.Count(); ++i)
        if (m_formats[i].IsPicture() && m_formats[i].picture == picture)
            return i;
    return m_formats.Count() - 1;
}

// Only a picture run's U+FFFC is a picture: the same character arriving in
// a message's text is copied as it stands.
char16_t* CYolWMRTE_Para::GetText(int first, int last) const
{
    const int length = Length();
    if (last < 0 || last >= length)
        last = length - 1;
    first = std::max(first, 0);
    auto pieceOf = [this](int i, int& n) -> const char16_t* {
        if (m_text[i] == kLineSeparator) {
            n = 2;
            return u"\r\n";
        }
        if (m_text[i] == kObjectReplacement) {
            if (CRTEPicture* picture = GetPictureAt(i)) {
                const char16_t* text = picture->GetText();
                n = TextLength(text);
                return text;
            }
        }
        n = 1;
        return m_text + i;
    };
    long long total = 0;
    for (int i = first; i <= last; ++i) {
        int n = 0;
        pieceOf(i, n);
        total += n;
    }
    if (total > INT_MAX - 1)
        throw std::length_error("paragraph text too long");
    auto* out = new char16_t[total + 1];
    char16_t* at = out;
    for (int i = first; i <= last; ++i) {
        int n = 0;
        const char16_t* piece = pieceOf(i, n);
        if (n > 0)
            std::memcpy(at, piece, sizeof(char16_t) * n);
        at += n;
    }
    *at = 0;
    return out;
}

void CYolWMRTE_Para::ReplacePicture(CRTEPicture* picture, const char16_t* text, int textLength, int kind)
{
    int r = FindPictureRun(picture);
    // Text cannot take the picture kind: it would read as a picture without one.
    if (kind == kPictureKind || r < 0 || !m_formats[r].IsPicture() || m_formats[r].picture != picture)
        return;
    textLength = text == nullptr ? 0 : std::max(textLength, 0);
    const int at = m_formats[r].start;
    m_formats[r].length = 1;
    m_formats[r].picture = nullptr;
    m_formats[r].kind = kind;
    if (r + 1 < m_formats.Count() && !m_formats[r + 1].IsPicture() && m_formats[r + 1].length == 0)
        m_formats.RemoveAt(r + 1);
    if (r > 0 && !m_formats[r - 1].IsPicture() && m_formats[r - 1].length == 0)
        m_formats.RemoveAt(--r);
    if (r + 1 < m_formats.Count() && m_formats[r + 1].kind == kind) {
        m_formats[r].length += m_formats[r + 1].length;
        m_formats.RemoveAt(r + 1);
    }
    if (r > 1 && m_formats[r - 1].kind == kind) {
        m_formats[r - 1].length += m_formats[r].length;
        m_formats.RemoveAt(r--);
    }

    if (textLength > INT_MAX - m_used)
        throw std::length_error("paragraph too long");
    const int used = m_used - 1 + textLength;
    auto* fresh = new char16_t[used + 1];
    std::memcpy(fresh, m_text, sizeof(char16_t) * at);
    if (textLength > 0)
        std::memcpy(fresh + at, text, sizeof(char16_t) * textLength);
    std::memcpy(fresh + at + textLength, m_text + at + 1, sizeof(char16_t) * (m_used - at - 1));
    fresh[used] = 0;
    delete[] m_text;
    m_text = fresh;
    m_used = used;
    m_capacity = used + 1;

    m_formats[r].length += textLength - 1;
    for (int i = r + 1; i < m_formats.Count(); ++i)
        m_formats[i].start += textLength - 1;
}

} // namespace RTE
