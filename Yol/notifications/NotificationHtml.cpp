#include "NotificationHtml.h"

#include <algorithm>

namespace Alert {

namespace {

constexpr char16_t kImgHead[] = u"<img src=\"file:\\\\";
constexpr char16_t kImgTail[] = u"\" style=\"vertical-align:middle\" border=\"0\" />";

// An inserted part. A character reference stands for one character of the
// text, so a code that holds that character may cover it whole; no code may
// cut into it or touch a break or a picture.
struct Range {
    size_t begin;
    size_t length;
    bool reference;
};

// The text escaped, with every inserted part recorded as a range no code
// may touch.
std::u16string Escape(const std::u16string& text, std::vector<Range>* kept) {
    static const struct {
        char16_t ch;
        const char16_t* entity;
    } kEntities[] = {{u'&', u"&amp;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"}, {u'"', u"&quot;"}};
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        std::u16string entity;
        for (const auto& e : kEntities)
            if (e.ch == c)
                entity = e.entity;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
            entity = u"<br>";
        } else if (c == u'\n') {
            entity = u"<br>";
        }
        if (entity.empty()) {
            out += c;
            continue;
        }
        if (kept != nullptr)
            kept->push_back(Range{out.size(), entity.size(), entity[0] == u'&'});
        out += entity;
    }
    return out;
}

bool Overlaps(const std::vector<Range>& kept, size_t at, size_t length, size_t& after) {
    for (const Range& r : kept) {
        const bool covered = r.reference && at <= r.begin && r.begin + r.length <= at + length;
        if (at < r.begin + r.length && r.begin < at + length && !covered) {
            after = r.begin + r.length;
            return true;
        }
    }
    return false;
}

}  // namespace

std::u16string TextToHtml(const std::u16string& text) { return Escape(text, nullptr); }

std::u16string MessageToHtml(const std::u16string& text, const std::vector<TSmiley>& smileys) {
    std::vector<Range> kept;
    std::u16string html = Escape(text, &kept);
    int replaced = 0;
    for (const TSmiley& smiley : smileys) {
        const std::u16string markup = kImgHead + TextToHtml(smiley.path) + kImgTail;
        for (const std::u16string& rawCode : smiley.codes) {
            const std::u16string code = TextToHtml(rawCode);
            for (size_t at = 0; !code.empty() && replaced < kMaxSmileysPerBody;) {
                at = html.find(code, at);
                if (at == html.npos)
                    break;
                size_t after = 0;
                if (Overlaps(kept, at, code.size(), after)) {
                    at = std::max(after, at + 1);
                    continue;
                }
                html.replace(at, code.size(), markup);
                // References the code covered went with it; ranges behind move.
                kept.erase(std::remove_if(kept.begin(), kept.end(),
                                          [&](const Range& r) { return r.begin >= at && r.begin < at + code.size(); }),
                           kept.end());
                for (Range& r : kept)
                    if (r.begin > at)
                        r.begin = r.begin - code.size() + markup.size();
                kept.push_back(Range{at, markup.size(), false});
                at += markup.size();
                ++replaced;
            }
        }
    }
    return html;
}

std::u16string FormatUiText(const std::u16string& format, const std::vector<std::u16string>& values) {
    static const std::u16string kSpecs[] = {u"%.1lf", u"%d", u"%s"};
    std::u16string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size();) {
        if (format.compare(i, 2, u"%%") == 0) {
            out += u'%';
            i += 2;
            continue;
        }
        bool taken = false;
        for (const std::u16string& spec : kSpecs) {
            if (format.compare(i, spec.size(), spec) == 0) {
                if (next < values.size())
                    out += values[next];
                ++next;
                i += spec.size();
                taken = true;
                break;
            }
        }
        if (!taken)
            out += format[i++];
    }
    return out;
}

}  // namespace Alert
