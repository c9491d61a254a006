// The paragraph: line breaks become separators, runs merge by kind, text
// comes back with pictures and breaks written out, and a picture can be
// replaced by its text.

#include "RichTextTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace richtext_test;
using RTE::CYolWMRTE_Para;

namespace {

std::string Runs(const CYolWMRTE_Para& para)
{
    std::string out;
    for (const RTE::TFormat& run : para.Formats())
        out += "{" + std::to_string(run.start) + "," + (run.IsPicture() ? std::string("pic") : std::to_string(run.length)) +
               "," + std::to_string(run.kind) + "}";
    return out;
}

std::string Copied(const CYolWMRTE_Para& para, int first = 0, int last = -1)
{
    std::unique_ptr<char16_t[]> text(para.GetText(first, last));
    std::string out;
    for (int i = 0; text[i]; ++i)
        out += text[i] == u'\r' ? std::string("\\r") : text[i] == u'\n' ? std::string("\\n") : Narrow(&text[i], 1);
    return out;
}

TEST(RichTextPara, EveryKindOfLineBreakBecomesOneSeparator)
{
    CYolWMRTE_Para para(4);
    const char16_t text[] = {u'a', u'\r', u'\n', u'b', u'\n', u'\r', u'c', u'\r', u'd', u'\n', u'\n', u'e'};
    para.AppendText(text, 12, 3);
    EXPECT_EQ(Narrow(para.Text()), "a|b|c|d||e");
    EXPECT_EQ(Runs(para), "{0,10,3}");
    EXPECT_EQ(para.Length(), 10);
    para.AppendText(text, 0, 3);
    para.AppendText(text, -5, 3);
    EXPECT_EQ(para.Length(), 10);
}

TEST(RichTextPara, RunsMergeByKindButPicturesNeverDo)
{
    BlockPicture smile(10, 10, u":-)");
    std::unique_ptr<CYolWMRTE_Para> para(MakePara({{"ab", 2}, {"cd", 2}}));
    EXPECT_EQ(Runs(*para), "{0,4,2}");
    para.reset(MakePara({{"ab", 2}, {nullptr, 0, &smile}, {nullptr, 0, &smile}, {"cd", 2}, {"e", 4}}));
    EXPECT_EQ(Runs(*para), "{0,2,2}{2,pic,0}{3,pic,0}{4,2,2}{6,1,4}");
    para->AppendChar(u'f', 4);
    EXPECT_EQ(Runs(*para), "{0,2,2}{2,pic,0}{3,pic,0}{4,2,2}{6,2,4}");
    EXPECT_EQ(Narrow(para->Text()), "ab##cdef");
}

// A builder that planned too little room must not write past the buffer.
TEST(RichTextPara, GrowsPastTheCapacityItWasGiven)
{
    CYolWMRTE_Para para(1);
    std::u16string text(5000, u'x');
    for (int i = 0; i < 3; ++i)
        para.AppendText(text.data(), 5000, 1 + i % 2);
    BlockPicture smile(10, 10, u":)");
    para.AppendPicture(&smile);
    EXPECT_EQ(para.Length(), 15001);
    EXPECT_EQ(Runs(para), "{0,5000,1}{5000,5000,2}{10000,5000,1}{15000,pic,0}");
    EXPECT_EQ(para.Text()[15000], RTE::kObjectReplacement);
    EXPECT_EQ(para.Text()[15001], 0);
}

TEST(RichTextPara, TextComesBackWithPicturesAndLineBreaksWrittenOut)
{
    BlockPicture smile(10, 10, u":-)");
    std::unique_ptr<CYolWMRTE_Para> para(MakePara({{"hi", 1}, {nullptr, 0, &smile}, {"\nyo", 2}}));
    EXPECT_EQ(Copied(*para), "hi:-)\\r\\nyo");
    EXPECT_EQ(Copied(*para, 1, 3), "i:-)\\r\\n");
    EXPECT_EQ(Copied(*para, 4, 4), "y");
    EXPECT_EQ(Copied(*para, 2, 100), ":-)\\r\\nyo");
}

// A message may carry U+FFFC itself: it is no picture and is copied as it is.
TEST(RichTextPara, AnObjectCharacterInTextIsNoPicture)
{
    BlockPicture smile(10, 10, u"[s]");
    const char16_t text[] = {u'a', RTE::kObjectReplacement, u'b'};
    CYolWMRTE_Para para(1);
    para.AppendText(text, 3, 5);
    para.AppendPicture(&smile);
    EXPECT_EQ(para.GetPictureAt(1), nullptr);
    EXPECT_EQ(para.GetPictureAt(3), &smile);
    std::unique_ptr<char16_t[]> copied(para.GetText(0, -1));
    EXPECT_EQ(std::u16string(copied.get()), std::u16string(u"a\uFFFCb[s]"));
}

TEST(RichTextPara, CopyKeepsTextAndRunsButNotTheSpareRoom)
{
    BlockPicture smile(10, 10, u":-)");
    std::unique_ptr<CYolWMRTE_Para> built(MakePara({{"one", 7}, {nullptr, 0, &smile}, {"two", 8}}));
    CYolWMRTE_Para copy(built->Text(), built->Formats());
    built.reset();
    EXPECT_EQ(Narrow(copy.Text()), "one#two");
    EXPECT_EQ(Runs(copy), "{0,3,7}{3,pic,0}{4,3,8}");
    EXPECT_EQ(copy.FindRunAt(0), 0);
    EXPECT_EQ(copy.FindRunAt(3), 1);
    EXPECT_EQ(copy.FindRunAt(6), 2);
    EXPECT_EQ(copy.FindPictureRun(&smile), 1);
    BlockPicture other(1, 1, u"");
    EXPECT_EQ(copy.FindPictureRun(&other), 2);
}

TEST(RichTextPara, ReplacingAPictureMergesRunsOfTheSameKind)
{
    BlockPicture smile(10, 10, u":-)");
    BlockPicture other(10, 10, u";)");
    struct Row {
        const char* name;
        std::vector<Piece> pieces;
        const char* text;
        int kind;
        const char* runs;
        const char* after;
    };
    const Row rows[] = {
        {"between two runs of its kind", {{"x", 1}, {"ab", 7}, {nullptr, 0, &smile}, {"cd", 7}}, ":-)", 7,
         "{0,1,1}{1,7,7}", "xab:-)cd"},
        {"the run before is the paragraph's first", {{"ab", 7}, {nullptr, 0, &smile}, {"cd", 7}}, ":-)", 7,
         "{0,2,7}{2,5,7}", "ab:-)cd"},
        {"another kind on both sides", {{"ab", 1}, {nullptr, 0, &smile}, {"cd", 2}, {nullptr, 0, &other}}, ":-)", 7,
         "{0,2,1}{2,3,7}{5,2,2}{7,pic,0}", "ab:-)cd#"},
        {"alone", {{nullptr, 0, &smile}}, ":-)", 3, "{0,3,3}", ":-)"},
        {"by an empty text", {{"ab", 1}, {nullptr, 0, &smile}, {"cd", 2}}, "", 1, "{0,2,1}{2,0,1}{2,2,2}", "abcd"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<CYolWMRTE_Para> para(MakePara(row.pieces));
        const std::u16string text = U(row.text);
        para->ReplacePicture(&smile, text.data(), static_cast<int>(text.size()), row.kind);
        EXPECT_EQ(Runs(*para), row.runs);
        EXPECT_EQ(Narrow(para->Text()), row.after);
        EXPECT_EQ(para->Length(), static_cast<int>(std::string(row.after).size()));
    }
}

TEST(RichTextPara, ReplacingAPictureItDoesNotHoldChangesNothing)
{
    BlockPicture smile(10, 10, u":-)");
    BlockPicture absent(10, 10, u"?");
    std::unique_ptr<CYolWMRTE_Para> para(MakePara({{"ab", 1}, {nullptr, 0, &smile}}));
    para->ReplacePicture(&absent, u"zz", 2, 1);
    para->ReplacePicture(&smile, u"zz", 2, RTE::kPictureKind);
    EXPECT_EQ(Runs(*para), "{0,2,1}{2,pic,0}");
    EXPECT_EQ(Narrow(para->Text()), "ab#");
}

} // namespace
