// Bubble bodies: text escaped before line breaks and pictures go in, smiley
// codes replaced at most five times and never inside what was inserted.

#include "NotificationHtml.h"

#include <gtest/gtest.h>

using namespace Alert;

namespace {

const std::u16string kImg = u"<img src=\"file:\\\\";
const std::u16string kTail = u"\" style=\"vertical-align:middle\" border=\"0\" />";

size_t Count(const std::u16string& text, const std::u16string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != text.npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

}  // namespace

TEST(NotificationHtml, EscapesTextBeforeBreaksAndPictures) {
    const std::vector<TSmiley> smileys = {{u"/s/smile.gif", {u":)"}}, {u"/s/heart.gif", {u"<3"}}};
    EXPECT_EQ(MessageToHtml(u"a<b>&\"c\"\r\nd\ne", {}), u"a&lt;b&gt;&amp;&quot;c&quot;<br>d<br>e");
    EXPECT_EQ(MessageToHtml(u"<3 :)", smileys),
              kImg + u"/s/heart.gif" + kTail + u" " + kImg + u"/s/smile.gif" + kTail);
    EXPECT_EQ(MessageToHtml(u"<script>", smileys), u"&lt;script&gt;");
}

TEST(NotificationHtml, AtMostFiveCodesBecomePictures) {
    const std::vector<TSmiley> smileys = {{u"/s/smile.gif", {u":)"}}};
    const std::u16string html = MessageToHtml(u":) :) :) :) :) :) :)", smileys);
    EXPECT_EQ(Count(html, kImg), 5u);
    EXPECT_EQ(Count(html, u":)"), 2u);
}

TEST(NotificationHtml, CodesNeverMatchInsideWhatWasInserted) {
    // "lt" and ";" sit in the references, "br" in the breaks, "gif" and "s/"
    // in the picture path of the first smiley.
    const std::vector<TSmiley> smileys = {{u"/s/a.gif", {u"a"}}, {u"/x/b.gif", {u"gif", u"s/", u"br", u";", u"lt"}}};
    const std::u16string html = MessageToHtml(u"a<\r\n", smileys);
    EXPECT_EQ(html, kImg + u"/s/a.gif" + kTail + u"&lt;<br>");
}

TEST(NotificationHtml, UiTextsTakeTheirValuesInOnePass) {
    EXPECT_EQ(FormatUiText(u"Received file '%s' (size: %.1lf Kb)?", {u"%d.txt", u"2.5"}),
              u"Received file '%d.txt' (size: 2.5 Kb)?");
    EXPECT_EQ(FormatUiText(u"Version %d, 100%%", {u"2200"}), u"Version 2200, 100%");
    EXPECT_EQ(FormatUiText(u"%d %d", {u"1"}), u"1 ");
}
