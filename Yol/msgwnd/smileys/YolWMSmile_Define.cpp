#include "YolWMSmile_Define.h"

namespace Smile {

namespace {

class LineCodes {
public:
    LineCodes() { codes.SetGrowStep(10); }

    void Byte(char c) {
        // A code too long for the handheld's buffer keeps what fits.
        if (length < kMaxCodeBytes)
            pending[length++] = c;
    }
    void EndCode() {
        if (length > 0)
            codes.Add(CYolString(pending, length, YOL_CP_1251));
        length = 0;
    }
    // Ends the line; true with `out` filled when it named a smiley.
    bool EndLine(CYolArray<CYolString>& out) {
        EndCode();
        if (codes.Count() == 0)
            return false;
        out = codes;
        codes = CYolArray<CYolString>();
        codes.SetGrowStep(10);
        return true;
    }

private:
    char pending[kMaxCodeBytes] = {};
    int length = 0;
    CYolArray<CYolString> codes;
};

} // namespace

std::vector<CYolArray<CYolString>> ParseSmileDefine(const std::uint8_t* bytes, std::size_t size, int gifCount) {
    std::vector<CYolArray<CYolString>> lines;
    LineCodes line;
    CYolArray<CYolString> codes;
    for (std::size_t i = 0; i < size && bytes[i] != 0 && static_cast<int>(lines.size()) < gifCount; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\r')
            continue;
        if (c == ',')
            line.EndCode();
        else if (c == '\n') {
            if (line.EndLine(codes))
                lines.push_back(codes);
        } else
            line.Byte(c);
    }
    // The last line needs no line break.
    if (static_cast<int>(lines.size()) < gifCount && line.EndLine(codes))
        lines.push_back(codes);
    return lines;
}

} // namespace Smile
