// Pictures from files of several kinds into premultiplied ARGB32 surfaces.
// Every decoder here reads bytes from the network (contacts' buddy icons):
// each field is checked against the bytes at hand before it is used.

#include "Drawing/GifDecode.h"
#include "GdiInternal.h"

#include "CByteReader.h"
#include "CYolFile.h"
#include "CYolPath.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The biggest picture file we read: a 4096 x 4096 uncompressed picture of
// 32 bits a pixel plus its headers.
constexpr std::size_t kMaxPictureFileBytes = 64u * 1024 * 1024 + 4096;

// A new ARGB32 surface of straight (not yet premultiplied) pixels, or null.
cairo_surface_t* NewPicture(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > Platform::kMaxPictureSide || height > Platform::kMaxPictureSide)
        return nullptr;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return surface;
}

std::uint32_t* PictureRow(cairo_surface_t* surface, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface));
}

constexpr std::uint32_t Argb(unsigned r, unsigned g, unsigned b, unsigned a) {
    return (static_cast<std::uint32_t>(a) << 24) | (r << 16) | (g << 8) | b;
}

cairo_surface_t* FinishPicture(cairo_surface_t* surface) {
    Platform::PremultiplyRows(surface);
    cairo_surface_mark_dirty(surface);
    return surface;
}

// ---- BMP -------------------------------------------------------------------

// One colour channel of a 16- or 32-bit pixel, given by its mask.
struct TChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    // False for a mask whose bits are not one run.
    bool Set(std::uint32_t m) {
        mask = m;
        shift = 0;
        max = 0;
        if (m == 0)
            return true;
        while (((m >> shift) & 1u) == 0)
            ++shift;
        const std::uint64_t run = static_cast<std::uint64_t>(m) >> shift;
        if ((run & (run + 1)) != 0)
            return false;
        max = static_cast<std::uint32_t>(run);
        return true;
    }
    unsigned Get(std::uint32_t pixel, unsigned absent) const {
        if (max == 0)
            return absent;
        return static_cast<unsigned>((static_cast<std::uint64_t>((pixel & mask) >> shift) * 255 + max / 2) / max);
    }
};

struct TBmpHeader {
    std::uint32_t dataOffset = 0;
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

bool ReadBmpHeader(CByteReader& in, TBmpHeader& h) {
    unsigned short magic = 0, planes = 0, bits = 0;
    unsigned int fileSize = 0, reserved = 0, offset = 0, headerSize = 0, width = 0, height = 0, compression = 0;
    unsigned int imageSize = 0, xppm = 0, yppm = 0, used = 0;
    if (!in.Read16(magic) || magic != 0x424D || !in.Read32LE(fileSize) || !in.Read32LE(reserved) ||
        !in.Read32LE(offset) || !in.Read32LE(headerSize) || !in.Read32LE(width) || !in.Read32LE(height) ||
        !in.Read16LE(planes) || !in.Read16LE(bits) || !in.Read32LE(compression) || !in.Read32LE(imageSize) ||
        !in.Read32LE(xppm) || !in.Read32LE(yppm) || !in.Read32LE(used))
        return false;
    h.dataOffset = offset;
    h.headerSize = headerSize;
    h.width = static_cast<std::int32_t>(width);
    h.height = static_cast<std::int32_t>(height);
    h.planes = planes;
    h.bits = bits;
    h.compression = compression;
    h.colorsUsed = used;
    return true;
}

}  // namespace

cairo_surface_t* Platform::DecodeSurfaceBmp(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kFileHeader = 14;
    if (!data || size < kFileHeader + 40 || size > kMaxPictureFileBytes)
        return nullptr;
    CByteReader in(data, static_cast<int>(size));
    TBmpHeader h;
    if (!ReadBmpHeader(in, h))
        return nullptr;
    // The Windows headers of 40 bytes and their later, longer forms.
    if (h.headerSize != 40 && h.headerSize != 52 && h.headerSize != 56 && h.headerSize != 108 && h.headerSize != 124)
        return nullptr;
    if (h.planes != 1 || h.width <= 0 || h.height == 0 || h.height == INT32_MIN)
        return nullptr;
    const bool topDown = h.height < 0;
    const std::int64_t width = h.width;
    const std::int64_t height = topDown ? -static_cast<std::int64_t>(h.height) : h.height;
    if (width > kMaxPictureSide || height > kMaxPictureSide)
        return nullptr;
    const int bits = h.bits;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    if (!(h.compression == BI_RGB || (h.compression == BI_BITFIELDS && (bits == 16 || bits == 32))))
        return nullptr;

    std::size_t tablePos = kFileHeader + h.headerSize;
    if (tablePos > size)
        return nullptr;
    // Channel masks: inside the longer headers, else just after the header.
    TChannel red, green, blue, alpha;
    if (h.compression == BI_BITFIELDS) {
        std::size_t maskPos = kFileHeader + 40;
        const bool separate = h.headerSize == 40;
        const bool withAlpha = h.headerSize >= 56;
        const std::size_t count = withAlpha ? 4 : 3;
        if (maskPos + 4 * count > size)
            return nullptr;
        std::uint32_t masks[4] = {};
        for (std::size_t i = 0; i < count; ++i)
            std::memcpy(&masks[i], data + maskPos + 4 * i, 4);
        if (!red.Set(masks[0]) || !green.Set(masks[1]) || !blue.Set(masks[2]) || !alpha.Set(masks[3]))
            return nullptr;
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
            return nullptr;
        if (separate)
            tablePos += 12;
    } else if (bits == 16) {
        red.Set(0x7C00);
        green.Set(0x03E0);
        blue.Set(0x001F);
    } else if (bits == 32) {
        // The fourth byte of an uncompressed 32-bit pixel is unused.
        red.Set(0x00FF0000);
        green.Set(0x0000FF00);
        blue.Set(0x000000FF);
    }

    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        const std::uint32_t most = 1u << bits;
        const std::uint32_t entries = h.colorsUsed == 0 ? most : h.colorsUsed;
        if (entries > most || tablePos + 4ull * entries > size)
            return nullptr;
        palette.assign(most, Argb(0, 0, 0, 255));
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* q = data + tablePos + 4 * i;
            palette[i] = Argb(q[2], q[1], q[0], 255);
        }
        tablePos += 4ull * entries;
    }

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (h.dataOffset < tablePos || h.dataOffset > size || stride * height > size - h.dataOffset)
        return nullptr;

    cairo_surface_t* surface = NewPicture(width, height);
    if (!surface)
        return nullptr;
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* src = data + h.dataOffset + stride * row;
        std::uint32_t* out = PictureRow(surface, static_cast<int>(topDown ? row : height - 1 - row));
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const std::int64_t bit = x * bits;
                const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
                const unsigned index = (src[bit / 8] >> shift) & ((1u << bits) - 1);
                out[x] = palette[index];
                break;
            }
            case 24:
                out[x] = Argb(src[3 * x + 2], src[3 * x + 1], src[3 * x], 255);
                break;
            default: {
                std::uint32_t pixel = 0;
                if (bits == 16)
                    pixel = static_cast<std::uint32_t>(src[2 * x] | (src[2 * x + 1] << 8));
                else
                    std::memcpy(&pixel, src + 4 * x, 4);
                out[x] = Argb(red.Get(pixel, 0), green.Get(pixel, 0), blue.Get(pixel, 0), alpha.Get(pixel, 255));
                break;
            }
            }
        }
    }
    return FinishPicture(surface);
}

// ---- GIF -------------------------------------------------------------------

cairo_surface_t* Platform::DecodeSurfaceGif(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0)
        return nullptr;
    Smile::TGifImage gif;
    // A still picture: the first frame is all that is drawn.
    if (Smile::DecodeGif(gif, data, size, 1) == 0 || gif.frames.empty())
        return nullptr;
    cairo_surface_t* surface = NewPicture(gif.width, gif.height);
    if (!surface)
        return nullptr;
    // Outside the first frame the screen stays transparent.
    std::memset(cairo_image_surface_get_data(surface), 0,
                static_cast<std::size_t>(cairo_image_surface_get_stride(surface)) * gif.height);
    const Smile::TGifFrame& frame = *gif.frames.front();
    const RGBQUAD* colours = frame.Palette();
    for (int y = 0; y < frame.height && frame.top + y < gif.height; ++y) {
        const std::uint8_t* src = frame.pixels.data() + static_cast<std::ptrdiff_t>(y) * frame.stride;
        std::uint32_t* out = PictureRow(surface, frame.top + y);
        for (int x = 0; x < frame.width && frame.left + x < gif.width; ++x) {
            const int index = src[x];
            if (index == frame.transparent || index >= frame.PaletteSize())
                continue;
            const RGBQUAD& c = colours[index];
            out[frame.left + x] = Argb(c.rgbRed, c.rgbGreen, c.rgbBlue, 255);
        }
    }
    return FinishPicture(surface);
}

// ---- JPEG ------------------------------------------------------------------

namespace {

// What libjpeg may allocate for one picture: the coefficients of a
// progressive 4096 x 4096 picture with full-resolution colour, and room to spare.
constexpr long kMaxJpegMemory = 256L * 1024 * 1024;

struct TJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// Everything that must be freed after a long jump lives here, outside the
// frame that set the jump.
struct TJpegRead {
    jpeg_decompress_struct info;
    TJpegError error;
    cairo_surface_t* surface = nullptr;
};

bool DecodeJpeg(TJpegRead& read, const std::uint8_t* data, std::size_t size) {
    if (setjmp(read.error.jump))
        return false;
    jpeg_create_decompress(&read.info);
    // A small progressive file can ask for the coefficients of a whole
    // 4096 x 4096 picture: more than that is refused rather than allocated.
    read.info.mem->max_memory_to_use = kMaxJpegMemory;
    jpeg_mem_src(&read.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&read.info, TRUE) != JPEG_HEADER_OK)
        return false;
    const JDIMENSION width = read.info.image_width;
    const JDIMENSION height = read.info.image_height;
    if (width == 0 || height == 0 || width > static_cast<JDIMENSION>(Platform::kMaxPictureSide) ||
        height > static_cast<JDIMENSION>(Platform::kMaxPictureSide))
        return false;
    // Blue, green, red and an opaque fourth byte: cairo's own pixel order.
    read.info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&read.info);
    if (read.info.output_width != width || read.info.output_height != height || read.info.output_components != 4)
        return false;
    read.surface = NewPicture(width, height);
    if (!read.surface)
        return false;
    while (read.info.output_scanline < height) {
        const int y = static_cast<int>(read.info.output_scanline);
        JSAMPROW row = reinterpret_cast<JSAMPROW>(PictureRow(read.surface, y));
        if (jpeg_read_scanlines(&read.info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&read.info);
    return true;
}

}  // namespace

cairo_surface_t* Platform::DecodeSurfaceJpeg(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0 || size > kMaxPictureFileBytes)
        return nullptr;
    TJpegRead read;
    read.info.err = jpeg_std_error(&read.error.manager);
    // A broken picture is simply not drawn: no messages, and never an exit.
    read.error.manager.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<TJpegError*>(common->err)->jump, 1);
    };
    read.error.manager.output_message = [](j_common_ptr) {};
    const bool decoded = DecodeJpeg(read, data, size);
    jpeg_destroy_decompress(&read.info);
    if (!decoded) {
        if (read.surface)
            cairo_surface_destroy(read.surface);
        return nullptr;
    }
    cairo_surface_mark_dirty(read.surface);
    return read.surface;
}

// ---- Any of them -------------------------------------------------------------

cairo_surface_t* Platform::DecodeSurfacePicture(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 4)
        return nullptr;
    if (data[0] == 0x89 && std::memcmp(data + 1, "PNG", 3) == 0)
        return DecodeSurfacePng(data, size);
    if (std::memcmp(data, "GIF8", 4) == 0)
        return DecodeSurfaceGif(data, size);
    if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return DecodeSurfaceJpeg(data, size);
    if (data[0] == 'B' && data[1] == 'M')
        return DecodeSurfaceBmp(data, size);
    return nullptr;
}

cairo_surface_t* Platform::LoadSurfacePicture(const char* path) {
    std::vector<unsigned char> bytes;
    if (!path || !CYolFile::ReadAllBytes(CYolPath::FromNative(path), bytes, kMaxPictureFileBytes))
        return nullptr;
    return DecodeSurfacePicture(bytes.data(), bytes.size());
}
