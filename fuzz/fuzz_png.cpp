// PNG pictures from skins and packs: any bytes, read through the file the
// loader opens. A picture either fails to load or comes out as a surface of
// at most 4096 pixels a side, which saves as a PNG that loads again at the
// same size with the same opaque pixels.

#include "FuzzSupport.h"
#include "Drawing/GdiSurface.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {


// A file in memory, rewritten for each input; the loader opens it by name.
struct MemoryFile {
    int fd = ::memfd_create("yol-fuzz-png", MFD_CLOEXEC);
    std::string path = "/proc/self/fd/" + std::to_string(fd);

    bool Put(const uint8_t* data, size_t size) const {
        if (fd < 0 || ::ftruncate(fd, 0) != 0)
            return false;
        for (size_t done = 0; done < size;) {
            const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const MemoryFile input;
    static const MemoryFile output;
    if (!input.Put(data, size))
        return 0;
    cairo_surface_t* surface = Platform::LoadSurfacePng(input.path.c_str());
    if (!surface)
        return 0;
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    Fuzz::Check(width >= 1 && height >= 1 && width <= 4096 && height <= 4096);
    Fuzz::Check(cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32);

    Fuzz::Check(output.Put(nullptr, 0));
    Fuzz::Check(Platform::SaveSurfacePng(surface, output.path.c_str()));
    cairo_surface_t* again = Platform::LoadSurfacePng(output.path.c_str());
    Fuzz::Check(again != nullptr);
    Fuzz::Check(cairo_image_surface_get_width(again) == width && cairo_image_surface_get_height(again) == height);
    for (int y = 0; y < height; y += 1 + height / 16)
        for (int x = 0; x < width; x += 1 + width / 16)
            if (Platform::GetSurfaceAlpha(surface, x, y) == 255)
                Fuzz::Check(Platform::GetSurfacePixel(again, x, y) == Platform::GetSurfacePixel(surface, x, y));
    cairo_surface_destroy(again);
    cairo_surface_destroy(surface);
    return 0;
}
