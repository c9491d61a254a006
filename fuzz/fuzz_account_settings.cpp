// The account-settings block from arbitrary bytes, as the server store hands
// it over: bounded parsing of the big TLVs and the collections inside them,
// an import that reads only well-formed values, and an export of whatever
// was imported that imports and exports again to the same bytes.

#include "CAccountSettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using Protocols::CAccountSettingsStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBigTLVCol block;
    bool whole = CAccountSettingsStore::ParseBlock(data, size, block);
    if (whole && CAccountSettingsStore::BlockBytes(block) != std::vector<unsigned char>(data, data + size))
        std::abort();

    // Whatever records were whole are imported, as the server store does.
    CAccountSettingsStore imported;
    imported.Import(block);

    CBigTLVCol first;
    imported.Export(first);
    std::vector<unsigned char> firstBytes = CAccountSettingsStore::BlockBytes(first);

    CAccountSettingsStore again;
    CBigTLVCol reread;
    if (!CAccountSettingsStore::ParseBlock(firstBytes.data(), firstBytes.size(), reread))
        std::abort();
    again.Import(reread);
    CBigTLVCol second;
    again.Export(second);
    if (CAccountSettingsStore::BlockBytes(second) != firstBytes)
        std::abort();

    // The imported values survive the packed form of "Accounts data".
    std::vector<unsigned char> packed;
    if (!imported.Pack(packed))
        std::abort();
    CAccountSettingsStore unpacked;
    if (!unpacked.Unpack(packed.data(), packed.size()) || unpacked.Count() != imported.Count())
        std::abort();
    return 0;
}
