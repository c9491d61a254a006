// History files from arbitrary bytes: the loader must neither read past the
// bytes nor crash. An append to a file with a readable header must leave a
// file that loads; when the header's total disagreed with the file's size,
// the append repairs the file, so the message it wrote is the newest one
// the loader finds.

#include "CHistoryFile.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ScratchPath() {
    struct stat st;
    std::string folder = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
    return folder + "/yol-fuzz-history-" + std::to_string(getpid()) + ".yhf";
}

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (unsigned int maxCount : {0u, 1u, 3u}) {
        CYolArray<CTLVCol> out;
        int rc = CHistoryFile::LoadFromBytes(data, size, maxCount, out);
        Check(rc == CHistoryFile::Ok || rc == CHistoryFile::BadHeader || rc == CHistoryFile::BadVersion);
        Check(maxCount == 0 || out.Count() <= int(maxCount));
        for (const CTLVCol& tlvs : out)
            Check(CHistoryFile::IsMessageRecord(tlvs));
    }

    static const std::string path = ScratchPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written)
        return 0;

    CHistoryFile::Message message;
    message.time = 42;
    message.text = "fuzz";
    CHistoryFile::Header header;
    bool repairs = CHistoryFile::ParseHeader(data, size, header) == CHistoryFile::Ok &&
                   header.Size() + int64_t(header.TotalBytes()) != int64_t(size);
    CYolString name = CYolString::FromUtf8(path);
    if (CHistoryFile::Append(name, "a", "b", message) == CHistoryFile::Ok) {
        CYolArray<CTLVCol> out;
        Check(CHistoryFile::Load(name, 1, out) == CHistoryFile::Ok);
        if (repairs || size == 0) {
            Check(out.Count() == 1);
            const CTLV* text = out[0].GetTLV(CHistoryFile::TlvText);
            Check(text && text->GetLength() == 4 &&
                  std::string(reinterpret_cast<const char*>(text->GetValue()), 4) == "fuzz");
        }
    }
    unlink(path.c_str());
    return 0;
}
