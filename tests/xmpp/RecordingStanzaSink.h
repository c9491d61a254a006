#pragma once
// A stanza sink that records: every stanza written, serialised, in order,
// and every iq's answer, kept so that a test can answer the request. It
// numbers requests as the account does ("yol_1" first). No threads: a
// feature class driven through it runs entirely inside the test's calls.

#include "XmppStanzaSink.h"

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace XmppTest {

// Stanza ids replaced by "yol_N", so sent stanzas can be compared whole.
inline std::string WithoutIds(const std::string& sent) {
    return std::regex_replace(sent, std::regex("yol_[0-9]+"), "yol_N");
}

class RecordingStanzaSink final : public XmppStanzaSink {
public:
    bool SendStanza(const XmlNode& element) override {
        sent.push_back(element.Serialize());
        return accepts;
    }
    int SendIq(XmlNode& iq, IqAnswer answer, int key = 0) override {
        int number = NextStanzaNumber();
        iq.SetId(number);
        if (answer)
            answers[number] = Waiting{key, std::move(answer)};
        SendStanza(iq);
        return number;
    }
    int NextStanzaNumber() override { return ++counter; }

    // What went out since the last take.
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(sent);
        return out;
    }
    // The number of the newest request still waiting for its answer; 0
    // when none waits.
    int LastWaiting() const { return answers.empty() ? 0 : answers.rbegin()->first; }
    // Hands `iq` to the answer of request `number`, which stops waiting.
    // False when that request waits for nothing.
    bool Answer(int number, const XmlNode& iq) {
        auto it = answers.find(number);
        if (it == answers.end())
            return false;
        IqAnswer answer = std::move(it->second.answer);
        answers.erase(it);
        answer(iq);
        return true;
    }

    struct Waiting {
        int key = 0;
        IqAnswer answer;
    };
    // False makes every write fail, as a dropped session does.
    bool accepts = true;
    std::vector<std::string> sent;
    std::map<int, Waiting> answers;
    int counter = 0;
};

}  // namespace XmppTest
