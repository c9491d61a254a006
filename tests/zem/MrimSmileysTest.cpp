// Smiley tags and cartoons of received messages as plain text: which tags
// are replaced and by what, which stay as they were, and how a flash message
// becomes a notice.

#include "MrimMessages.h"
#include "MrimSmileys.h"
#include "ZemTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ZemTest;

TEST(MrimSmileys, TagsWithATextAreReplacedAndTheRestStay) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"a<SMILE>id=413 alt=':-)'</SMILE>b", "a*THUMBS UP*b"},
        {"<smile>id=421 alt=':-)'</smile>", ":-)"},
        {"<smile>id=0x alt=':-P'</smile>", ":-p"},
        {"<smile>id=999</smile>", "<smile>id=999</smile>"},
        {"<smile>alt='broken</smile>", "<smile>alt='broken</smile>"},
        {"<###20###img12> и <###20###img39>", ":-) и *IN LOVE*"},
        {"<###20###IMG3>", "\\m/"},
        {"<###20###img1>", "<###20###img1>"},
        {"<###20###img>", "<###20###img>"},
        {"<###20###img99999999999>", "<###20###img99999999999>"},
        {"x<###20###img12", "x<###20###img12"},
        {"<smile>id=426", "<smile>id=426"},
        {"<smile>id=426</smile><smile>", ":-)<smile>"},
        {"Ёж <smile>id=402</smile><###20###img40>😀", "Ёж :-D:-*😀"},
        {"<smile><###20###img10></smile>", "<smile><###20###img10></smile>"},
        {"", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(ConvertSmileys(U(row.in)).ToUtf8(), row.out);
    }
}

TEST(MrimSmileys, TablesGiveTextOnlyForTheirRows) {
    EXPECT_EQ(SmileTagToText(U("id=430")).ToUtf8(), "*YAHOO*");
    EXPECT_EQ(SmileTagToText(U("id=425")).ToUtf8(), "");
    EXPECT_EQ(SmileTagToText(U("alt=''")).ToUtf8(), "");
    EXPECT_EQ(SmileCodeToText(33).ToUtf8(), "]:->");
    EXPECT_EQ(SmileCodeToText(1).ToUtf8(), "");
}

TEST(MrimSmileys, FlashMessagesBecomeANoticeNamingTheFirstCartoon) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"<flash>Круто!</flash>", "Собеседник прислал мульт: Круто!"},
        {"Спасибо! Поцелуй", "Собеседник прислал мульт: Поцелуй"},
        {"Жжёшь!", "Собеседник прислал мульт: Жжёшь!"},
        {"nothing named", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(CartoonToText(U(row.in)).ToUtf8(), row.out);
    }
}

TEST(MrimSmileys, ReceivedMessagesAreDeliveredWithTextSmileys) {
    RecordingPacketSink sink;
    RecordingListModel model;
    CZemContactList list(model, [](const CYolString&) {});
    list.Load(ListBody({"Friends"}, {{0, 0, "bob@mail.ru", "Bob", 0, 1}}));
    list.Reconcile();
    ZemTyping typing([](const CYolString&, bool) {});
    MrimMessages messages(sink, list, model, typing,
                          {[] { return true; }, [](int) { return CYolString(); }, [](int) { return 0; },
                           [] { return int64_t{0}; }, [] {}});
    const struct {
        uint32_t flags;
        const char* text;
        const char* shown;  // "" when nothing is shown
    } rows[] = {
        {0x00100000, "hi <smile>id=426</smile>", "hi :-)"},
        {0x00108000, "Круто!", "Собеседник прислал мульт: Круто!"},
        {0x00108000, "<smile>id=426</smile>", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        model.messages.clear();
        const std::string body =
            MrimBodyWriter().UL(1).UL(row.flags).LPS("bob@mail.ru").LpsUtf16(U(row.text)).LPS({}).Take();
        messages.OnIncoming(MrimPacket{MrimHeader{}, body});
        EXPECT_EQ(model.messages.empty() ? "" : model.messages.back().text.ToUtf8(), row.shown);
    }
}

}  // namespace
