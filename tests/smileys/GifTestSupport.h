#pragma once
// What the GIF suites share: a GIF writer of the tests' own (its LZW encoder
// can use any minimum code size, defer the clear code, end early or never
// clear), and giflib as the independent reader of the same bytes.

#include "Drawing/GifDecode.h"

#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace gif_test {

using Bytes = std::vector<std::uint8_t>;

struct FrameSpec {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    // width x height indices in display order.
    std::vector<std::uint8_t> pixels;
    // RGB triples (0xRRGGBB); empty: no local table.
    std::vector<std::uint32_t> localPalette;
    bool interlaced = false;
    int minCodeSize = 2;
    bool control = false;
    int disposal = 0;
    int delayCs = 0;
    int transparent = -1;
    // Never send a clear code after the start: 12-bit codes once the table is full.
    bool deferClear = false;
    // Stop after this many pixels with an end code (-1: all).
    int endAfter = -1;
    // Leave out the end code.
    bool noEnd = false;
};

struct GifSpec {
    std::string signature = "GIF89a";
    int width = 1;
    int height = 1;
    // Empty: no global table.
    std::vector<std::uint32_t> globalPalette;
    std::vector<FrameSpec> frames;
};

class BitWriter {
public:
    void Put(unsigned code, int size) {
        acc |= static_cast<std::uint64_t>(code) << bits;
        bits += size;
        while (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    Bytes Finish() {
        if (bits > 0)
            out.push_back(static_cast<std::uint8_t>(acc & 0xFF));
        return out;
    }

private:
    Bytes out;
    std::uint64_t acc = 0;
    int bits = 0;
};

// The GIF flavour of LZW over indices already in file order.
inline Bytes EncodeLzw(const std::vector<std::uint8_t>& indices, const FrameSpec& f) {
    const unsigned clear = 1u << f.minCodeSize;
    const unsigned end = clear + 1;
    BitWriter w;
    std::map<std::pair<unsigned, std::uint8_t>, unsigned> table;
    unsigned next = clear + 2;
    int size = f.minCodeSize + 1;
    w.Put(clear, size);
    const std::size_t count = f.endAfter >= 0 ? static_cast<std::size_t>(f.endAfter) : indices.size();
    if (count == 0) {
        if (!f.noEnd)
            w.Put(end, size);
        return w.Finish();
    }
    unsigned current = indices[0];
    for (std::size_t i = 1; i < count; ++i) {
        const std::uint8_t c = indices[i];
        auto found = table.find({current, c});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        w.Put(current, size);
        if (next < 4096) {
            table[{current, c}] = next++;
            if (next > (1u << size) && size < 12)
                ++size;
        } else if (!f.deferClear) {
            w.Put(clear, size);
            table.clear();
            next = clear + 2;
            size = f.minCodeSize + 1;
        }
        current = c;
    }
    w.Put(current, size);
    if (!f.noEnd)
        w.Put(end, size);
    return w.Finish();
}

inline int BitsFor(std::size_t entries) {
    int bits = 1;
    while ((1u << bits) < entries)
        ++bits;
    return bits;
}

inline void PutPalette(Bytes& out, const std::vector<std::uint32_t>& palette) {
    for (std::size_t i = 0; i < (1u << BitsFor(palette.size())); ++i) {
        const std::uint32_t c = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

inline void Put16(Bytes& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// The rows of a display-order image in file order.
inline std::vector<std::uint8_t> FileOrder(const FrameSpec& f) {
    if (!f.interlaced)
        return f.pixels;
    std::vector<std::uint8_t> out;
    const int first[] = {0, 4, 2, 1};
    const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = first[pass]; row < f.height; row += step[pass])
            out.insert(out.end(), f.pixels.begin() + row * f.width, f.pixels.begin() + (row + 1) * f.width);
    return out;
}

inline Bytes BuildGif(const GifSpec& spec) {
    Bytes out(spec.signature.begin(), spec.signature.end());
    Put16(out, spec.width);
    Put16(out, spec.height);
    const bool global = !spec.globalPalette.empty();
    out.push_back(static_cast<std::uint8_t>(global ? 0x80 | (BitsFor(spec.globalPalette.size()) - 1) : 0));
    out.push_back(0);
    out.push_back(0);
    if (global)
        PutPalette(out, spec.globalPalette);
    for (const FrameSpec& f : spec.frames) {
        if (f.control) {
            const std::uint8_t packed =
                static_cast<std::uint8_t>((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0));
            out.insert(out.end(), {0x21, 0xF9, 4, packed});
            Put16(out, f.delayCs);
            out.push_back(static_cast<std::uint8_t>(f.transparent >= 0 ? f.transparent : 0));
            out.push_back(0);
        }
        out.push_back(0x2C);
        Put16(out, f.left);
        Put16(out, f.top);
        Put16(out, f.width);
        Put16(out, f.height);
        const bool local = !f.localPalette.empty();
        out.push_back(static_cast<std::uint8_t>((local ? 0x80 | (BitsFor(f.localPalette.size()) - 1) : 0) |
                                                (f.interlaced ? 0x40 : 0)));
        if (local)
            PutPalette(out, f.localPalette);
        out.push_back(static_cast<std::uint8_t>(f.minCodeSize));
        const Bytes data = EncodeLzw(FileOrder(f), f);
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - at);
            out.push_back(static_cast<std::uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + n));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

// A w x h picture of indices below `colours` that compresses poorly enough
// to use every code size.
inline std::vector<std::uint8_t> Noise(int w, int h, int colours, unsigned seed) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h);
    for (auto& p : out) {
        seed = seed * 1103515245u + 12345u;
        p = static_cast<std::uint8_t>((seed >> 16) % static_cast<unsigned>(colours));
    }
    return out;
}

inline std::vector<std::uint32_t> Ramp(int n, std::uint32_t salt = 0) {
    std::vector<std::uint32_t> out;
    for (int i = 0; i < n; ++i)
        out.push_back((static_cast<std::uint32_t>(i * 37 + salt) % 256) << 16 |
                      (static_cast<std::uint32_t>(i * 91 + salt * 3) % 256) << 8 |
                      (static_cast<std::uint32_t>(255 - i * 13) % 256));
    return out;
}

// ---- The tests' own view of a file's code streams ----------------------------

// Image descriptor `ordinal`'s minimum code size, size and data, found by
// walking the blocks; false when the file ends first.
inline bool FrameData(const Bytes& f, int ordinal, int& minCodeSize, int& pixels, Bytes& data) {
    std::size_t i = 13;
    if (f.size() < i)
        return false;
    if (f[10] & 0x80)
        i += 3u << ((f[10] & 7) + 1);
    auto skipBlocks = [&](Bytes* into) {
        while (i < f.size() && f[i] != 0) {
            const std::size_t n = f[i];
            if (into)
                into->insert(into->end(), f.begin() + static_cast<long>(std::min(f.size(), i + 1)),
                             f.begin() + static_cast<long>(std::min(f.size(), i + 1 + n)));
            i += n + 1;
        }
        ++i;
    };
    for (int seen = 0; i < f.size();) {
        const std::uint8_t block = f[i++];
        if (block == 0x3B)
            return false;
        if (block == 0x21) {
            ++i;
            skipBlocks(nullptr);
        } else if (block == 0x2C) {
            if (i + 10 > f.size())
                return false;
            pixels = (f[i + 4] | (f[i + 5] << 8)) * (f[i + 6] | (f[i + 7] << 8));
            const std::uint8_t packed = f[i + 8];
            i += 9;
            if (packed & 0x80)
                i += 3u << ((packed & 7) + 1);
            if (i >= f.size())
                return false;
            minCodeSize = f[i++];
            data.clear();
            skipBlocks(&data);
            if (seen++ == ordinal)
                return true;
        }
    }
    return false;
}

// Whether the frame's code stream, read until its pixels are all there,
// holds a code beyond the next free one (or a table code right after a
// clear): data no encoder writes, which giflib turns into made-up pixels.
inline bool CodeStreamDefective(const Bytes& file, int ordinal) {
    int minCodeSize = 0, pixels = 0;
    Bytes data;
    if (!FrameData(file, ordinal, minCodeSize, pixels, data) || minCodeSize < 2 || minCodeSize > 8)
        return false;
    const unsigned clear = 1u << minCodeSize, end = clear + 1;
    std::vector<int> length(4096, 1);
    unsigned next = clear + 2;
    int size = minCodeSize + 1, previous = -1;
    long out = 0;
    for (std::size_t bit = 0; out < pixels && bit + static_cast<std::size_t>(size) <= data.size() * 8;) {
        unsigned word = 0;
        for (std::size_t k = 0; k < 3 && bit / 8 + k < data.size(); ++k)
            word |= static_cast<unsigned>(data[bit / 8 + k]) << (8 * k);
        const unsigned code = (word >> (bit % 8)) & ((1u << size) - 1);
        bit += static_cast<std::size_t>(size);
        if (code == clear) {
            next = clear + 2;
            size = minCodeSize + 1;
            previous = -1;
            continue;
        }
        if (code == end)
            return false;
        if (code > next || (previous < 0 && code > end))
            return true;
        const int len = code == next ? length[static_cast<std::size_t>(previous)] + 1 : (code < clear ? 1 : length[code]);
        out += len;
        if (previous >= 0 && next < 4096) {
            length[next] = length[static_cast<std::size_t>(previous)] + 1;
            if (++next == (1u << size) && size < 12)
                ++size;
        }
        previous = static_cast<int>(code);
    }
    return false;
}

// ---- giflib as the reference reader -----------------------------------------

struct Reference {
    bool ok = false;
    // Frames giflib decoded whole: all of them when the file read through,
    // else those before the one it failed on.
    int goodFrames = 0;
    GifFileType* gif = nullptr;

    Reference() = default;
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    ~Reference() {
        int error = 0;
        if (gif)
            DGifCloseFile(gif, &error);
    }
};

struct MemoryInput {
    const Bytes* bytes;
    std::size_t at = 0;
};

inline int ReadMemory(GifFileType* gif, GifByteType* out, int n) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), in->bytes->size() - in->at);
    std::memcpy(out, in->bytes->data() + in->at, take);
    in->at += take;
    return static_cast<int>(take);
}

inline void ReadWithGiflib(const Bytes& bytes, Reference& ref) {
    MemoryInput input{&bytes};
    int error = 0;
    ref.gif = DGifOpen(&input, ReadMemory, &error);
    if (!ref.gif)
        return;
    ref.ok = DGifSlurp(ref.gif) == GIF_OK;
    ref.gif->UserData = nullptr;
    ref.goodFrames = ref.ok ? ref.gif->ImageCount : std::max(0, ref.gif->ImageCount - 1);
}

// The colour of frame `frame` (0 or 1) of test smiley `index`.
inline std::uint32_t FaceColour(int index, int frame) {
    return 0xC00000u + static_cast<std::uint32_t>(index) + (frame != 0 ? 0x8000u : 0u);
}

// A w x h test smiley of two solid frames, 200 ms each, in FaceColour.
inline Bytes Face(int index, int w, int h) {
    GifSpec spec;
    spec.width = w;
    spec.height = h;
    spec.globalPalette = {FaceColour(index, 0), FaceColour(index, 1)};
    for (int f = 0; f < 2; ++f) {
        FrameSpec frame;
        frame.width = w;
        frame.height = h;
        frame.pixels.assign(static_cast<std::size_t>(w * h), static_cast<std::uint8_t>(f));
        frame.control = true;
        frame.delayCs = 20;
        spec.frames.push_back(frame);
    }
    return BuildGif(spec);
}

} // namespace gif_test
