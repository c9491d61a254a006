// The settings file loader on arbitrary bytes: it must never crash or
// allocate past the input, and whatever it keeps must save as a file that
// loads clean and saves again to the same bytes.

#include "CYolDatabaseImpl.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Nothing is set, so the database never writes; the folder does not
    // exist either, so it could not.
    static Database::CYolDatabaseImpl db(nullptr, CYolString(u"/nonexistent-yol-fuzz/settings.yol"));

    Database::LoadResult first = db.LoadFromBytes(data, size);
    if (first.bytesSkipped > size)
        std::abort();

    std::vector<unsigned char> saved;
    if (!db.SaveToBytes(saved))
        std::abort();
    // Only names grow, when each bad UTF-8 byte becomes a 3-byte U+FFFD.
    if (saved.size() > 3 * size)
        std::abort();
    Database::LoadResult second = db.LoadFromBytes(saved.data(), saved.size());
    if (!second.IsClean() || second.records != first.records)
        std::abort();
    std::vector<unsigned char> again;
    if (!db.SaveToBytes(again) || again != saved)
        std::abort();
    return 0;
}
