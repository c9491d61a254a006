#pragma once
// A stanza sink that records instead of writing to a session: every stanza
// serialised, in order, and every iq's answer function kept so that a test
// can answer it. Feature classes run on it synchronously, without sockets
// or threads.

#include "XmppStanzaSink.h"

#include <string>
#include <utility>
#include <vector>

class RecordingStanzaSink final : public XmppStanzaSink {
public:
    struct SentIq {
        int number = 0;
        std::string text;
        IqAnswer answer;  // empty when nothing waits for the answer
    };

    bool SendStanza(const XmlNode& element) override {
        sent.push_back(element.Serialize());
        return accepts;
    }
    int SendIq(XmlNode& iq, IqAnswer answer, int = 0) override {
        const int number = NextStanzaNumber();
        iq.SetId(number);
        SendStanza(iq);
        iqs.push_back({number, sent.back(), std::move(answer)});
        return number;
    }
    int NextStanzaNumber() override { return ++counter; }

    // What was sent since the last take, in order.
    std::vector<std::string> Take() { return std::exchange(sent, {}); }

    // False makes every write fail, as a dropped session does.
    bool accepts = true;
    std::vector<std::string> sent;
    std::vector<SentIq> iqs;
    int counter = 0;
};
