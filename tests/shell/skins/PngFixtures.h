#pragma once
// Tiny PNG files written with libpng for the loader tests: any colour type
// and bit depth, with or without a transparency chunk.

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace PngFixture {

struct Image {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    int colorType = PNG_COLOR_TYPE_RGBA;
    int bitDepth = 8;
    // Packed rows exactly as the PNG stores them (big-endian 16-bit samples).
    std::vector<std::vector<std::uint8_t>> rows;
    std::vector<png_color> palette;
    std::vector<std::uint8_t> paletteAlpha;  // tRNS for palette images
    bool greyKey = false;                    // tRNS for grey images
    std::uint16_t greyKeyValue = 0;
};

inline bool Write(const std::string& path, const Image& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    if (!image.paletteAlpha.empty())
        png_set_tRNS(png, info, image.paletteAlpha.data(), static_cast<int>(image.paletteAlpha.size()), nullptr);
    if (image.greyKey) {
        png_color_16 key{};
        key.gray = image.greyKeyValue;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_write_info(png, info);
    for (const auto& row : image.rows)
        png_write_row(png, row.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// A solid RGBA image.
inline Image Solid(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                   std::uint8_t a) {
    Image image;
    image.width = width;
    image.height = height;
    image.rows.assign(height, {});
    for (auto& row : image.rows)
        for (std::uint32_t x = 0; x < width; ++x)
            row.insert(row.end(), {r, g, b, a});
    return image;
}

}  // namespace PngFixture
