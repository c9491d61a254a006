// The XMPP stream parser against libexpat on the same bytes: a server stream
// of 10,000 typical stanzas (chat messages with chat states, presences with
// entity capabilities, and roster results of 200 items each) arriving in
// 1 KiB reads. Our parser builds the stanza trees the plug-in works on;
// expat is run bare (call-backs that only count) and building the same
// trees through its call-backs, which is the fair comparison.

#include "XmlNode.h"
#include "XmlStreamParser.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr size_t kStanzas = 10000;
constexpr size_t kReadSize = 1024;

std::string Message(size_t i) {
    return "<message from='contact" + std::to_string(i % 50) + "@example.org/phone' to='alice@example.org/Yol' "
           "type='chat' id='m" + std::to_string(i) + "'><body>Привет! How are you &amp; yours? See &lt;" +
           std::to_string(i) + "&gt; at 5 o&apos;clock</body><active xmlns='http://jabber.org/protocol/chatstates'/>"
           "</message>";
}

std::string Presence(size_t i) {
    return "<presence from='contact" + std::to_string(i % 50) + "@example.org/laptop' to='alice@example.org/Yol'>"
           "<show>away</show><status>В пути</status><priority>5</priority>"
           "<c xmlns='http://jabber.org/protocol/caps' hash='sha-1' node='http://psi-im.org' "
           "ver='QgayPKawpkPSDYmwT/WM94uAlu0='/></presence>";
}

std::string Roster(size_t i) {
    std::string iq = "<iq type='result' id='yol_" + std::to_string(i) + "' to='alice@example.org/Yol'>"
                     "<query xmlns='jabber:iq:roster' ver='ver" + std::to_string(i) + "'>";
    for (int item = 0; item < 200; ++item)
        iq += "<item jid='user" + std::to_string(item) + "@example.org' name='Пользователь " + std::to_string(item) +
              "' subscription='both'><group>Friends</group></item>";
    return iq + "</query></iq>";
}

const std::string& Stream() {
    static const std::string stream = [] {
        std::string s = "<?xml version='1.0'?><stream:stream xmlns='jabber:client' "
                        "xmlns:stream='http://etherx.jabber.org/streams' id='c2s_1' from='example.org' version='1.0'>"
                        "<stream:features><mechanisms xmlns='urn:ietf:params:xml:ns:xmpp-sasl'><mechanism>PLAIN"
                        "</mechanism></mechanisms></stream:features>";
        for (size_t i = 1; i < kStanzas; ++i)
            s += i % 1000 == 0 ? Roster(i) : i % 2 ? Presence(i) : Message(i);
        return s + "</stream:stream>";
    }();
    return stream;
}

void OurParser(benchmark::State& state) {
    const std::string& stream = Stream();
    size_t stanzas = 0;
    for (auto _ : state) {
        stanzas = 0;
        XmlStreamParser parser;
        parser.SetCallback(2, XmlStreamParser::End,
                           [](XmlNode*, void* count) { ++*static_cast<size_t*>(count); },
                           &stanzas);
        // The account's receive buffer: keep what was not taken, append the
        // next read, offer everything again.
        std::string held;
        for (size_t at = 0; at < stream.size(); at += kReadSize) {
            held.append(stream, at, kReadSize);
            held.erase(0, parser.Feed(held));
        }
        if (parser.Failed() || !parser.StreamEnded())
            state.SkipWithError(parser.ErrorText());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["stanzas"] = double(stanzas);
}

// --- expat, bare

struct Counts {
    size_t elements = 0;
    size_t textBytes = 0;
};

void ExpatBare(benchmark::State& state) {
    const std::string& stream = Stream();
    Counts counts;
    for (auto _ : state) {
        counts = Counts();
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &counts);
        XML_SetElementHandler(
            parser, [](void* c, const XML_Char*, const XML_Char**) { ++static_cast<Counts*>(c)->elements; },
            [](void*, const XML_Char*) {});
        XML_SetCharacterDataHandler(parser,
                                    [](void* c, const XML_Char*, int n) { static_cast<Counts*>(c)->textBytes += size_t(n); });
        bool ok = true;
        for (size_t at = 0; at < stream.size() && ok; at += kReadSize) {
            size_t n = std::min(kReadSize, stream.size() - at);
            ok = XML_Parse(parser, stream.data() + at, int(n), at + n == stream.size()) == XML_STATUS_OK;
        }
        if (!ok)
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
        XML_ParserFree(parser);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["elements"] = double(counts.elements);
}

// --- expat, building the same trees

struct TreeBuilder {
    std::vector<XmlNode*> open;  // below the stream element
    XmlNode stanza;
    std::string text;
    int depth = 0;
    size_t stanzas = 0;

    void EndText() {
        if (!text.empty() && !open.empty())
            open.back()->SetText(CYolString::FromUtf8(text));
        text.clear();
    }
};

void ExpatBuildingTrees(benchmark::State& state) {
    const std::string& stream = Stream();
    size_t stanzas = 0;
    for (auto _ : state) {
        TreeBuilder builder;
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &builder);
        XML_SetElementHandler(
            parser,
            [](void* b, const XML_Char* name, const XML_Char** attrs) {
                auto* self = static_cast<TreeBuilder*>(b);
                self->EndText();
                if (++self->depth < 2)
                    return;
                XmlNode* node;
                if (self->depth == 2) {
                    self->stanza.Init(name);
                    node = &self->stanza;
                } else {
                    node = &self->open.back()->AddChild(name);
                }
                for (int i = 0; attrs[i]; i += 2)
                    node->SetAttr(attrs[i], CYolString::FromUtf8(attrs[i + 1]));
                self->open.push_back(node);
            },
            [](void* b, const XML_Char*) {
                auto* self = static_cast<TreeBuilder*>(b);
                self->EndText();
                if (self->depth-- < 2)
                    return;
                self->open.pop_back();
                if (self->open.empty()) {
                    ++self->stanzas;
                    self->stanza.Free();
                }
            });
        XML_SetCharacterDataHandler(parser, [](void* b, const XML_Char* s, int n) {
            static_cast<TreeBuilder*>(b)->text.append(s, size_t(n));
        });
        bool ok = true;
        for (size_t at = 0; at < stream.size() && ok; at += kReadSize) {
            size_t n = std::min(kReadSize, stream.size() - at);
            ok = XML_Parse(parser, stream.data() + at, int(n), at + n == stream.size()) == XML_STATUS_OK;
        }
        if (!ok)
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
        XML_ParserFree(parser);
        stanzas = builder.stanzas;
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["stanzas"] = double(stanzas);
}

}  // namespace

BENCHMARK(OurParser)->Unit(benchmark::kMillisecond);
BENCHMARK(ExpatBare)->Unit(benchmark::kMillisecond);
BENCHMARK(ExpatBuildingTrees)->Unit(benchmark::kMillisecond);
