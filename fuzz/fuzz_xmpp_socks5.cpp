// A stream host's SOCKS5 replies, split into reads at the places the first
// bytes name. Beyond memory safety: the reader never takes more than it is
// given, and the same bytes give the same verdict however they are split.

#include "XmppSocks5Reply.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {
// Feeds `data` in reads of the given sizes (cycled); the bytes taken and the
// verdict at the end.
XmppSocks5Reader::Result Run(const uint8_t* data, size_t size, const std::vector<size_t>& reads, size_t& taken,
                             XmppSocks5Reader::Step& step) {
    XmppSocks5Reader reader;
    XmppSocks5Reader::Result result = XmppSocks5Reader::Result::NeedMore;
    taken = 0;
    for (size_t at = 0, r = 0; at < size && reader.CurrentStep() != XmppSocks5Reader::Step::Done;) {
        const size_t read = std::min(size - at, reads[r++ % reads.size()]);
        size_t used = 0;
        result = reader.Feed(data + at, read, used);
        if (used > read)
            std::abort();
        taken += used;
        if (result == XmppSocks5Reader::Result::Refused)
            break;
        // A reply that ends inside a read leaves the rest for the next step.
        at += used;
    }
    step = reader.CurrentStep();
    return result;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte chooses the read sizes; the rest is the host's bytes.
    const std::vector<size_t> split{size_t{1} + (data[0] & 7), size_t{1} + (data[0] >> 5)};
    size_t takenSplit = 0, takenWhole = 0;
    XmppSocks5Reader::Step stepSplit, stepWhole;
    const auto resultSplit = Run(data + 1, size - 1, split, takenSplit, stepSplit);
    const auto resultWhole = Run(data + 1, size - 1, {size}, takenWhole, stepWhole);
    if (stepSplit != stepWhole || (stepWhole == XmppSocks5Reader::Step::Done && takenSplit != takenWhole))
        std::abort();
    if ((resultSplit == XmppSocks5Reader::Result::Refused) != (resultWhole == XmppSocks5Reader::Result::Refused))
        std::abort();
    return 0;
}
