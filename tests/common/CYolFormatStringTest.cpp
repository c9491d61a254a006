// CYolFormatString: named parameters filled in one pass over the template.

#include "CYolString.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Params = std::vector<std::pair<const char*, const char*>>;

CYolFormatString Make(const char* templ, const Params& params) {
    CYolFormatString f(CYolString::FromUtf8(templ));
    for (const auto& [name, value] : params)
        f.AddParam(CYolString::FromUtf8(name), CYolString::FromUtf8(value));
    return f;
}

TEST(CYolFormatString, FillsEachParameterOnceInOnePass) {
    const struct {
        const char* name;
        const char* templ;
        Params params;
        const char* expected;
    } cases[] = {
        {"two tags", "<n> of <m>", {{"n", "1"}, {"m", "2"}}, "1 of 2"},
        {"order of tags differs", "<m> before <n>", {{"n", "1"}, {"m", "2"}}, "2 before 1"},
        {"tag twice: first only", "<a>, <a>", {{"a", "x"}}, "x, <a>"},
        {"name twice: both tags", "<a>, <a>", {{"a", "x"}, {"a", "y"}}, "x, y"},
        {"absent tag ignored", "just text <a>", {{"b", "1"}, {"a", "2"}}, "just text 2"},
        {"value with a later tag stays literal", "<a> and <b>", {{"a", "<b>"}, {"b", "B"}}, "<b> and B"},
        {"value with an earlier tag stays literal", "<a> and <b>", {{"a", "A"}, {"b", "<a>"}}, "A and <a>"},
        {"value with its own tag", "<a>", {{"a", "<a><a>"}}, "<a><a>"},
        {"empty value removes the tag", "[<a>]", {{"a", ""}}, "[]"},
        {"case-sensitive names", "<Name>", {{"name", "x"}}, "<Name>"},
        {"Cyrillic", "Контакт <имя> в сети", {{"имя", "Вася"}}, "Контакт Вася в сети"},
        {"no parameters", "plain", {}, "plain"},
        {"adjacent tags", "<a><b><a>", {{"a", "1"}, {"b", "2"}}, "12<a>"},
        {"overlapping tags", "<a<b>>", {{"b", "B"}, {"a<b", "X"}}, "<aB>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CYolFormatString f = Make(c.templ, c.params);
        EXPECT_EQ(f.GetLocalized().ToUtf8(), c.expected);
        CYolString out(u"stale");
        f.GetLocalized(out);
        EXPECT_EQ(out.ToUtf8(), c.expected);
    }
}

TEST(CYolFormatString, LocalizedTemplateWinsWhenSet) {
    CYolFormatString f = Make("<n> of <m>", {{"n", "1"}, {"m", "2"}});
    f.SetLocalized(CYolString::FromUtf8("<n> из <m>"));
    EXPECT_EQ(f.GetLocalized().ToUtf8(), "1 из 2");
    EXPECT_EQ(f.GetDefault().ToUtf8(), "<n> of <m>");
    f.SetLocalized(CYolString());
    EXPECT_EQ(f.GetLocalized().ToUtf8(), "1 of 2");
}

TEST(CYolFormatString, AssigningATemplateStartsOver) {
    CYolFormatString f = Make("<n>", {{"n", "1"}});
    f.SetLocalized(CYolString(u"localized <n>"));
    f = CYolString(u"fresh <n>");
    EXPECT_EQ(f.GetParams().Count(), 0);
    EXPECT_EQ(f.GetLocalized().ToUtf8(), "fresh <n>");
}

TEST(CYolFormatString, CopiesCarryTemplatesAndParameters) {
    CYolFormatString f = Make("<a>-<b>", {{"a", "1"}, {"b", "2"}});
    f.SetLocalized(CYolString(u"<b>+<a>"));
    CYolFormatString copy(f);
    CYolFormatString assigned;
    assigned = f;
    f.AddParam(CYolString(u"c"), CYolString(u"3"));
    for (const CYolFormatString* g : {&copy, &assigned}) {
        EXPECT_EQ(g->GetParams().Count(), 2);
        EXPECT_EQ(g->GetLocalized().ToUtf8(), "2+1");
    }
}

TEST(CYolFormatString, EmptyTemplateGivesEmptyText) {
    CYolFormatString f;
    f.AddParam(CYolString(u"a"), CYolString(u"x"));
    EXPECT_TRUE(f.GetLocalized().IsEmpty());
}

}  // namespace
