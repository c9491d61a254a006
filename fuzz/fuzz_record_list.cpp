// Record and record-list unpacking on arbitrary bytes: bounded reads, and a
// list that unpacks packs back to a list that unpacks the same.

#include "CRecord.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using Database::CRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CRecord single;
    unsigned long used = single.Unpack(data, size);
    if (used != 0 && used != data[0] + 5ul + single.GetSize())
        std::abort();
    CYolString text;
    single.GetString(text, false);
    single.GetString(text, true);
    volatile unsigned long sink = single.GetByte() + single.GetWord() + single.GetDword();
    (void)sink;

    CYolArray<CRecord> list;
    unsigned long consumed = Database::UnpackRecords(list, data, size);
    if (consumed != 0 && consumed != size)
        std::abort();
    if (consumed == 0 && list.Count() != 0)
        std::abort();

    bool packable = true;
    for (const CRecord& record : list)
        packable = packable && record.HasValidName();
    std::vector<unsigned char> packed(Database::GetRecordsSize(list));
    unsigned long written = Database::PackRecords(list, packed.data(), packed.size());
    if (packable != (written == packed.size()) && !packed.empty())
        std::abort();
    if (!packable || packed.empty())
        return 0;

    CYolArray<CRecord> back;
    if (Database::UnpackRecords(back, packed.data(), packed.size()) != packed.size() || back.Count() != list.Count())
        std::abort();
    for (int i = 0; i < list.Count(); ++i)
        if (back[i].GetName() != list[i].GetName() || back[i].GetSize() != list[i].GetSize())
            std::abort();
    std::vector<unsigned char> again(packed.size());
    if (Database::PackRecords(back, again.data(), again.size()) != again.size() || again != packed)
        std::abort();
    return 0;
}
