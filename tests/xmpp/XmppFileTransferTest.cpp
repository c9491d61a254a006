// File offers in both directions and in-band streams, against a recording
// sink, ports and a real folder.

#include "XmppFileTransferSupport.h"

#include <filesystem>
#include <functional>

using namespace XmppTransferTest;

namespace {

const std::string kErrorHead = "<iq type='error' to='bob@example.org/Phone' id='o1'><error code='400' type='cancel'>"
                               "<bad-request xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/>";

TEST_F(TransferFixture, OffersAreTakenOrAnsweredByWhatTheyCarry) {
    const struct {
        std::string offer;
        Lines answer;
        Lines reports;
    } cases[] = {
        {Offer("s1", "a.txt", "10", {kIbb, kSocks5}), {}, {"0 a.txt 0/10"}},
        {Offer("s2", "../../etc/b.txt", "5", {kIbb}), {}, {"0 b.txt 0/5"}},
        {Offer("s3", "c.txt", "5", {"urn:other"}),
         {kErrorHead + "<no-valid-streams xmlns='http://jabber.org/protocol/si'/></error></iq>"}, {}},
        {Offer("s4", "d.txt", "5", {kIbb}, ""), {kErrorHead + "<bad-profile/></error></iq>"}, {}},
        {Offer("s5", "e.txt", "", {kIbb}),
         {kErrorHead + "<bad-profile xmlns='http://jabber.org/protocol/si'/></error></iq>"}, {}},
        {Offer("s6", "..", "5", {kIbb}),
         {kErrorHead + "<bad-profile xmlns='http://jabber.org/protocol/si'/></error></iq>"}, {}},
        {Offer("s7", "f.txt", "-3", {kIbb}),
         {kErrorHead + "<bad-profile xmlns='http://jabber.org/protocol/si'/></error></iq>"}, {}},
    };
    for (const auto& c : cases) {
        Receive(c.offer);
        EXPECT_EQ(sink.Take(), c.answer) << c.offer;
        EXPECT_EQ(ports.TakeReports(), c.reports) << c.offer;
    }
    // Accepting shows which method was taken: SOCKS5 whenever offered.
    transfers.AcceptFile(bob, U("a.txt"), U(PathOf("a.txt")));
    transfers.AcceptFile(bob, U("b.txt"), U(PathOf("b.txt")));
    const Lines accepts = sink.Take();
    ASSERT_EQ(accepts.size(), 2u);
    EXPECT_EQ(accepts[0], "<iq type='result' to='bob@example.org/Phone' id='o1'><si xmlns='http://jabber.org/protocol/si'>"
                          "<feature xmlns='http://jabber.org/protocol/feature-neg'><x xmlns='jabber:x:data' "
                          "type='submit'><field var='stream-method'><value>" + std::string(kSocks5) +
                          "</value></field></x></feature></si></iq>");
    EXPECT_NE(accepts[1].find(std::string("<value>") + kIbb + "</value>"), std::string::npos);
}

TEST_F(TransferFixture, OffersFromOutsideTheContactListGetNoAnswer) {
    std::string offer = Offer("s1", "a.txt", "10", {kIbb});
    offer.replace(offer.find("bob@"), 4, "eve@");
    Receive(offer);
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_TRUE(ports.TakeReports().empty());
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

TEST_F(TransferFixture, AcceptingOntoAnExistingFileKeepsItAndTakesAFreeName) {
    Put("a.txt", "keep me");
    Receive(Offer("s1", "a.txt", "3", {kIbb}));
    transfers.AcceptFile(bob, U("a.txt"), U(PathOf("a.txt")));
    sink.Take();
    Receive("<iq type='set' from='bob@example.org/Phone' id='i1'><open xmlns='http://jabber.org/protocol/ibb' "
            "sid='s1' block-size='4096'/></iq>");
    transfers.OnIbbMessage(Stanza("<message from='bob@example.org/Phone'><data xmlns='http://jabber.org/protocol/ibb' "
                                  "sid='s1' seq='0'>" + Base64("new") + "</data></message>"));
    Receive("<iq type='set' from='bob@example.org/Phone' id='i2'><close xmlns='http://jabber.org/protocol/ibb' "
            "sid='s1'/></iq>");
    EXPECT_EQ(ReadText(PathOf("a.txt")), "keep me");
    EXPECT_EQ(ReadText(PathOf("a (1).txt")), "new");
    EXPECT_EQ(ports.TakeReports(), (Lines{"0 a.txt 0/3", "1 a (1).txt 3/3 first", "2 a (1).txt 3/3"}));
}

TEST_F(TransferFixture, RefusingAnOfferAnswersForbiddenAndForgetsIt) {
    Receive(Offer("s1", "a.txt", "3", {kIbb}));
    ports.TakeReports();
    transfers.RefuseFile(bob, U("a.txt"));
    EXPECT_EQ(sink.Take(), Lines{"<iq type='error' to='bob@example.org/Phone' id='o1'><error code='403' type='cancel'>"
                                 "<forbidden xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/><text "
                                 "xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'>File transfer refused</text></error></iq>"});
    EXPECT_TRUE(ports.TakeReports().empty());
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

TEST_F(TransferFixture, OffersGoToTheKnownResourceOrTheBareJidAndListTheProxyOnlyWhenSet) {
    const std::string path = Put("Отчёт.bin", "12345");
    transfers.SendFile(bob, U(path));
    const Lines first = sink.Take();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].find("<iq type='set' to='bob@example.org' id='yol_1'><si xmlns='http://jabber.org/protocol/si' id='"),
              0u);
    EXPECT_NE(first[0].find("mime-type='binary/octet-stream' profile='http://jabber.org/protocol/si/profile/"
                            "file-transfer'><file xmlns='http://jabber.org/protocol/si/profile/file-transfer' "
                            "name='Отчёт.bin' size='5'><desc/></file>"),
              std::string::npos);
    EXPECT_EQ(first[0].find(kSocks5), std::string::npos);

    contacts.UpdateResource(ContactKindRoster, U("bob@example.org/Phone"), Protocols::Online, CYolString(), 0);
    ports.proxy = "proxy.example.org";
    transfers.SendFile(bob, U(path));
    const Lines second = sink.Take();
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second[0].find("to='bob@example.org/Phone'"), std::string::npos);
    EXPECT_NE(second[0].find(std::string("<option><value>") + kIbb + "</value></option><option><value>" + kSocks5),
              std::string::npos);

    // Empty and missing files are not offered at all.
    transfers.SendFile(bob, U(Put("empty.bin")));
    transfers.SendFile(bob, U(PathOf("missing.bin")));
    EXPECT_TRUE(sink.Take().empty());
    EXPECT_TRUE(ports.TakeReports().empty());
}

TEST_F(TransferFixture, APeersRefusalEndsTheTransferWithItsReport) {
    const std::string path = Put("a.bin", "12345");
    const struct {
        const char* answer;
        Lines reports;
    } cases[] = {
        {"<error type='cancel'><forbidden xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error>", {"3 a.bin 0/0 out"}},
        {"<error type='modify'><bad-request xmlns='urn:ietf:params:xml:ns:xmpp-stanzas'/></error>", {"4 a.bin 0/0 out"}},
        {"", {"4 a.bin 0/0 out"}},
    };
    for (const auto& c : cases) {
        transfers.SendFile(bob, U(path));
        const int number = sink.LastWaiting();
        Answer(number, "<iq type='error' from='bob@example.org' id='yol_" + std::to_string(number) + "'>" + c.answer +
                           "</iq>");
        EXPECT_EQ(ports.TakeReports(), c.reports) << c.answer;
        EXPECT_EQ(transfers.SessionCount(), 0u);
    }
}

// The chunks of an in-band stream as "seq:bytes", from the sent messages.
Lines DataChunks(const Lines& sent, std::string& bytes) {
    Lines chunks;
    for (const std::string& stanza : sent) {
        XmlNode message = Stanza(stanza);
        const XmlNode* data = message.FindChildInNs("data", kIbb);
        if (message.Name() != "message" || data == nullptr)
            continue;
        int length = 0;
        char* decoded = CYolString::Base64Decode(data->Text().c_str(), length);
        bytes.append(decoded, static_cast<size_t>(length));
        std::free(decoded);
        chunks.push_back(data->GetAttr("seq")->ToUtf8() + ":" + std::to_string(length));
    }
    return chunks;
}

TEST_F(TransferFixture, InBandSendingGoesChunkByChunkOnSendResultsAndCloses) {
    const std::string content = Pattern(4097);
    transfers.SendFile(bob, U(Put("a.bin", content)));
    sink.Take();
    Answer(sink.LastWaiting(), "<iq type='result' from='bob@example.org' id='yol_1'><si xmlns='http://jabber.org/"
                               "protocol/si'><feature xmlns='http://jabber.org/protocol/feature-neg'><x xmlns='jabber:"
                               "x:data' type='submit'><field var='stream-method'><value>" + std::string(kIbb) +
                               "</value></field></x></feature></si></iq>");
    Lines sent = sink.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_NE(sent[0].find("<open xmlns='http://jabber.org/protocol/ibb' sid='"), std::string::npos);
    EXPECT_NE(sent[0].find("block-size='2048' stanza='message'/>"), std::string::npos);
    // Send results before the peer opened move nothing.
    transfers.OnSendResult(0);
    EXPECT_TRUE(sink.Take().empty());

    Answer(sink.LastWaiting(), "<iq type='result' from='bob@example.org' id='yol_2'/>");
    for (int i = 0; i < 4; ++i)
        transfers.OnSendResult(0);
    sent = sink.Take();
    std::string received;
    EXPECT_EQ(DataChunks(sent, received), (Lines{"0:2048", "1:2048", "2:1"}));
    EXPECT_EQ(received, content);
    EXPECT_NE(sent[0].find("<amp xmlns='http://jabber.org/protocol/amp'><rule condition='deliver-at' value='stored' "
                           "action='error'/><rule condition='match-resource' value='exact' action='error'/></amp>"),
              std::string::npos);
    EXPECT_NE(sent.back().find("<close xmlns='http://jabber.org/protocol/ibb' sid='"), std::string::npos);
    EXPECT_EQ(ports.TakeReports(), (Lines{"1 a.bin 2048/4097 first out", "1 a.bin 4096/4097 out",
                                          "1 a.bin 4097/4097 out", "2 a.bin 4097/4097 out"}));
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

TEST_F(TransferFixture, TheInBandPumpServesOnlyTheOldestOutgoingStream) {
    // An incoming stream that is open comes first in the list.
    Receive(Offer("in", "in.bin", "4", {kIbb}));
    transfers.AcceptFile(bob, U("in.bin"), U(PathOf("in.bin")));
    Receive("<iq type='set' from='bob@example.org/Phone' id='i1'><open xmlns='http://jabber.org/protocol/ibb' "
            "sid='in' block-size='4096'/></iq>");
    for (const char* name : {"one.bin", "two.bin"}) {
        transfers.SendFile(bob, U(Put(name, Pattern(3000))));
        const int offer = sink.LastWaiting();
        Answer(offer, "<iq type='result' from='bob@example.org' id='yol_" + std::to_string(offer) +
                          "'><si xmlns='http://jabber.org/protocol/si'><feature xmlns='http://jabber.org/protocol/"
                          "feature-neg'><x xmlns='jabber:x:data'><field var='stream-method'><value>" + kIbb +
                          "</value></field></x></feature></si></iq>");
        const int open = sink.LastWaiting();
        Answer(open, "<iq type='result' from='bob@example.org' id='yol_" + std::to_string(open) + "'/>");
    }
    ports.TakeReports();
    transfers.OnSendResult(0);
    transfers.OnSendResult(5);  // a failed send moves nothing
    EXPECT_EQ(ports.TakeReports(), (Lines{"1 one.bin 3000/3000 out"}));
}

struct IncomingInBand : TransferFixture {
    IncomingInBand() {
        Receive(Offer("s1", "a.bin", "5", {kIbb}));
        transfers.AcceptFile(bob, U("a.bin"), U(PathOf("a.bin")));
        Receive("<iq type='set' from='bob@example.org/Phone' id='i1'><open xmlns='http://jabber.org/protocol/ibb' "
                "sid='s1' block-size='4096' stanza='message'/></iq>");
        sink.Take();
        ports.TakeReports();
    }
    void Data(const std::string& seq, const std::string& bytes, const std::string& from = "bob@example.org/Phone") {
        EXPECT_TRUE(transfers.OnIbbMessage(Stanza("<message from='" + from + "'><data xmlns='http://jabber.org/"
                                                  "protocol/ibb' sid='s1' seq='" + seq + "'>" + Base64(bytes) +
                                                  "</data></message>")));
    }
    void Close() {
        Receive("<iq type='set' from='bob@example.org/Phone' id='c1'><close xmlns='http://jabber.org/protocol/ibb' "
                "sid='s1'/></iq>");
    }
};

TEST_F(IncomingInBand, DataInMessagesAndIqsMakesTheFileAndTheCloseCompletesIt) {
    Data("0", "ab");
    Receive("<iq type='set' from='bob@example.org/Phone' id='d1'><data xmlns='http://jabber.org/protocol/ibb' "
            "sid='s1' seq='1'>" + Base64("cde") + "</data></iq>");
    Close();
    EXPECT_EQ(sink.Take(), (Lines{"<iq type='result' to='bob@example.org/Phone' id='d1'/>",
                                  "<iq type='result' to='bob@example.org/Phone' id='c1'/>"}));
    EXPECT_EQ(ports.TakeReports(), (Lines{"1 a.bin 2/5 first", "1 a.bin 5/5", "2 a.bin 5/5"}));
    EXPECT_EQ(ReadText(PathOf("a.bin")), "abcde");
    EXPECT_EQ(transfers.SessionCount(), 0u);
}

TEST_F(IncomingInBand, BrokenStreamsFailAndLeaveNoFile) {
    ExpectEachFailsLeavingNothing<IncomingInBand>({
        {"sequence gap", [](IncomingInBand& t) { t.Data("0", "a"); t.Data("2", "b"); }},
        {"more than offered", [](IncomingInBand& t) { t.Data("0", "abc"); t.Data("1", "def"); }},
        {"close before the end", [](IncomingInBand& t) { t.Data("0", "abc"); t.Close(); }},
        {"end of the session", [](IncomingInBand& t) { t.Data("0", "abc"); t.transfers.EndSession(); }},
    }, "a.bin");
}

TEST_F(IncomingInBand, DataFromAnotherAddressOrForAnUnknownStreamIsConsumedAndIgnored) {
    Data("0", "ab", "eve@example.org/x");
    EXPECT_TRUE(transfers.OnIbbMessage(Stanza("<message from='bob@example.org/Phone'><data xmlns='http://jabber.org/"
                                              "protocol/ibb' sid='zz' seq='0'>AA==</data></message>")));
    EXPECT_FALSE(transfers.OnIbbMessage(Stanza("<message from='bob@example.org/Phone'><body>hi</body></message>")));
    EXPECT_TRUE(ports.TakeReports().empty());
    Data("0", "ab");
    EXPECT_EQ(ports.TakeReports(), Lines{"1 a.bin 2/5 first"});
}

TEST_F(TransferFixture, SequenceNumbersWrapAfter65535) {
    const size_t chunks = 65537;
    Receive(Offer("s1", "big.bin", std::to_string(chunks), {kIbb}));
    transfers.AcceptFile(bob, U("big.bin"), U(PathOf("big.bin")));
    Receive("<iq type='set' from='bob@example.org/Phone' id='i1'><open xmlns='http://jabber.org/protocol/ibb' "
            "sid='s1' block-size='4096'/></iq>");
    XmlNode message("message");
    message.SetAttr("from", U("bob@example.org/Phone"));
    XmlNode& data = message.AddNsChild("data", U(kIbb));
    data.SetAttr("sid", U("s1"));
    data.SetText(U(Base64("x")));
    for (size_t i = 0; i < chunks; ++i) {
        data.SetAttrNarrow("seq", std::to_string(i % 65536));
        transfers.OnIbbMessage(message);
    }
    EXPECT_EQ(ports.reports.back(), "1 big.bin 65537/65537");
    EXPECT_EQ(std::filesystem::file_size(PathOf("big.bin")), chunks);
}

}  // namespace
