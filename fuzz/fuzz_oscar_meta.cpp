// The meta service's replies on untrusted bytes: the first byte chooses
// the SNAC (15/03 reply, 15/01 error) and its flags, the rest is its
// payload. Every reply record reads it, then the meta service takes it with
// an open details series for the own details, a contact's and a search
// under way, against the doubles of the tests.

#include "FuzzSupport.h"
#include "RuvDetails.h"
#include "RuvFakeListModel.h"
#include "RuvMetaRecords.h"
#include "RuvMetaService.h"
#include "RuvTestSupport.h"

#include <cstdint>
#include <string_view>

namespace {

class NullStore final : public RuvDetailStore {
public:
    void StoreContact(unsigned int, const char16_t*, const RuvDetailValue&) override { ++stored; }
    bool OwnAvailable() override { return true; }
    void StoreOwn(const char16_t*, const RuvDetailValue&) override { ++stored; }
    int stored = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool error = (data[0] & 0x80) != 0;
    const uint16_t flags = data[0] & 0x01;
    const std::string frame = RuvTest::Snac(0x15, error ? 0x01 : 0x03,
                                            std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), flags);
    Fuzz::Read<CSnacMetaReply>(frame);
    Fuzz::Read<CSnacMetaInfoReply>(frame);
    Fuzz::Read<CSnacBasicInfoReply>(frame);
    Fuzz::Read<CSnacWorkInfoReply>(frame);
    Fuzz::Read<CSnacMoreInfoReply>(frame);
    Fuzz::Read<CSnacAboutReply>(frame);
    Fuzz::Read<CSnacInterestsReply>(frame);
    Fuzz::Read<CSnacOfflineMessage>(frame);
    Fuzz::Read<CSnacSearchResult>(frame);

    RuvTest::RecordingPacketSink sink;
    RuvTest::FakeListModel model;
    const unsigned int contact = model.PutContact(model.PutGroup("g"), "100300", "100300");
    NullStore store;
    RuvDetails details(sink, model, store,
                       {[] { return true; }, [] { return CYolString(u"100200"); },
                        [](unsigned int, const CYolString&) {}, [](unsigned int) {}, [] {}});
    RuvMetaService meta(sink, model, details,
                        {[] { return CYolString(u"100200"); },
                         [](const CYolString&, unsigned int, int, const CYolString&) {},
                         [](const Protocols::UserInfo*) {}, [](int) { return CYolString(); },
                         [](int index) { return static_cast<unsigned int>(index); }});
    // The recording sink's sequences: 0x55 for the first series, 0x56 next.
    details.RequestOwnInfo();
    details.RequestContactInfo(contact);
    meta.StartSearch(2);
    const auto* bytes = reinterpret_cast<const uint8_t*>(frame.data());
    if (error)
        meta.OnError(bytes, frame.size());
    else
        meta.OnReply(bytes, frame.size());
    return 0;
}
