#include "MrimSmileys.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace {

struct Smile {
    unsigned int id;
    const char16_t* text;
};
constexpr Smile kTagSmiles[] = {
    {400, u"O:-)"},   {401, u":-!"},         {402, u":-D"},      {403, u":-P"},     {404, u":-["},
    {405, u":'("},    {406, u"*CRAZY*"},     {407, u"*DANCE*"},  {408, u"]:->"},    {409, u"8-)"},
    {410, u"*DRINK*"}, {411, u":-|"},        {412, u"@}->--"},   {413, u"*THUMBS UP*"}, {414, u":-*"},
    {415, u"*KISSED*"}, {416, u"*JOKINGLY*"}, {417, u"[:-}"},    {418, u"*NO*"},    {419, u"*PARDON*"},
    {420, u"*ROFL*"}, {422, u":-("},         {423, u"*SCRATCH*"}, {424, u"=-O"},    {426, u":-)"},
    {427, u"*DONT_KNOW*"}, {428, u"%)"},     {429, u";-)"},      {430, u"*YAHOO*"},
};
constexpr Smile kCodeSmiles[] = {
    {0, u"*THUMBS UP*"}, {2, u"*OK*"}, {3, u"\\m/"},  {4, u"\\m/"},  {8, u">:o"},  {28, u">:o"},
    {29, u">:o"},        {30, u">:o"}, {10, u":)"},   {11, u";-)"},  {12, u":-)"}, {13, u":-p"},
    {14, u"8-)"},        {36, u"8-)"}, {19, u":-("},  {20, u":'("},  {21, u":'("}, {22, u":'("},
    {26, u"=-O"},        {31, u"]:->"}, {32, u"]:->"}, {33, u"]:->"}, {37, u":-["}, {39, u"*IN LOVE*"},
    {40, u":-*"},
};

// Searched in this order: the first one named wins.
constexpr const char16_t* kCartoons[] = {
    u"Поцелуй",  u"Пивка?;)",           u"Задолбал!",        u"Хочу к тебе!", u"Хны...!",  u"Отходняк...",
    u"Сердце",   u"Жжёшь!",             u"А я сошла с ума...", u"Миллион алых роз!", u"Пристрелю!", u"Я занят",
    u"Круто!",   u"Пока-пока",          u"Спасибо!",         u"Не дуться!",   u"Обидели",  u"Ух ты!",
};
constexpr char16_t kCartoonPrefix[] = u"Собеседник прислал мульт: ";

constexpr std::u16string_view kSmileOpen = u"<smile>";
constexpr std::u16string_view kSmileClose = u"</smile>";
constexpr std::u16string_view kCodeOpen = u"<###20###img";

CYolString Text(std::u16string_view text) {
    return CYolString(text.data(), static_cast<int>(text.size()));
}

CYolString Lookup(const Smile* first, const Smile* last, unsigned int id) {
    const Smile* found = std::find_if(first, last, [id](const Smile& s) { return s.id == id; });
    return found == last ? CYolString() : CYolString(found->text);
}

// The decimal digits at the start of `text`; false when there are none or
// too many to be an id.
bool LeadingNumber(std::u16string_view text, unsigned int& out) {
    size_t digits = 0;
    out = 0;
    while (digits < text.size() && text[digits] >= u'0' && text[digits] <= u'9') {
        if (++digits > 9)
            return false;
        out = out * 10 + static_cast<unsigned int>(text[digits - 1] - u'0');
    }
    return digits > 0;
}

std::u16string Lowered(const CYolString& text) {
    std::u16string out = text.ToU16();
    std::transform(out.begin(), out.end(), out.begin(), [](char16_t c) { return CYolString::ToLowerChar(c); });
    return out;
}

}  // namespace

CYolString SmileTagToText(const CYolString& body) {
    const std::u16string text = body.ToU16();
    if (size_t id = text.find(u"id="); id != std::u16string::npos) {
        unsigned int number = 0;
        if (LeadingNumber(std::u16string_view(text).substr(id + 3), number)) {
            CYolString found = Lookup(std::begin(kTagSmiles), std::end(kTagSmiles), number);
            if (!found.IsEmpty())
                return found;
        }
    }
    const size_t alt = text.find(u"alt='");
    if (alt == std::u16string::npos)
        return CYolString();
    const size_t close = text.find(u'\'', alt + 5);
    if (close == std::u16string::npos)
        return CYolString();
    return Text(std::u16string_view(text).substr(alt + 5, close - alt - 5));
}

CYolString SmileCodeToText(unsigned int number) {
    return Lookup(std::begin(kCodeSmiles), std::end(kCodeSmiles), number);
}

CYolString CartoonToText(const CYolString& text) {
    const std::u16string whole = text.ToU16();
    for (const char16_t* name : kCartoons)
        if (whole.find(name) != std::u16string::npos) {
            CYolString notice(kCartoonPrefix);
            notice += name;
            return notice;
        }
    return CYolString();
}

CYolString ConvertSmileys(const CYolString& text) {
    const std::u16string lower = Lowered(text);
    std::u16string result = text.ToU16();
    // Where a position of the lowered copy now stands in the result.
    std::ptrdiff_t shift = 0;
    size_t pos = 0;
    for (;;) {
        const size_t smile = lower.find(kSmileOpen, pos);
        const size_t code = lower.find(kCodeOpen, pos);
        if (smile == std::u16string::npos && code == std::u16string::npos)
            break;
        const bool tag = smile < code;
        const size_t start = tag ? smile : code;
        const size_t bodyStart = start + (tag ? kSmileOpen.size() : kCodeOpen.size());
        const size_t close = tag ? lower.find(kSmileClose, bodyStart) : lower.find(u'>', bodyStart);
        if (close == std::u16string::npos) {
            pos = bodyStart;
            continue;
        }
        const std::u16string_view body = std::u16string_view(lower).substr(bodyStart, close - bodyStart);
        const size_t end = close + (tag ? kSmileClose.size() : 1);
        CYolString replacement;
        unsigned int number = 0;
        if (tag)
            replacement = SmileTagToText(Text(body));
        else if (LeadingNumber(body, number))
            replacement = SmileCodeToText(number);
        if (!replacement.IsEmpty()) {
            const std::u16string with = replacement.ToU16();
            result.replace(static_cast<size_t>(static_cast<std::ptrdiff_t>(start) + shift), end - start, with);
            shift += static_cast<std::ptrdiff_t>(with.size()) - static_cast<std::ptrdiff_t>(end - start);
        }
        pos = end;
    }
    return Text(result);
}
