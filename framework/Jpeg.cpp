#include "framework/Jpeg.h"

// windows.h (through Graphics.h) comes first: the library's headers then leave its INT32 and
// boolean alone.
#include <cstdio>
#include <cstdlib>

#include <atomic>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

// The library's system-dependent memory layer (its jmemsys.h interface), in place of the plain
// malloc/free one it ships (jmemnobs): the same allocations, counted, so that a test can see that
// every decompressor gave back all its memory, whatever its decode ended in. These definitions are
// linked before the library's archive is searched, so its own layer is never pulled in.
namespace {
std::atomic<long> g_blocks{0};

void* Allocate(size_t size) {
    void* block = std::malloc(size);
    if (block)
        ++g_blocks;
    return block;
}

void Free(void* block) {
    if (block) {
        --g_blocks;
        std::free(block);
    }
}
} // namespace

struct backing_store_struct;

extern "C" {
void* jpeg_get_small(j_common_ptr, size_t size) {
    return Allocate(size);
}
void jpeg_free_small(j_common_ptr, void* object, size_t) {
    Free(object);
}
void* jpeg_get_large(j_common_ptr, size_t size) {
    return Allocate(size);
}
void jpeg_free_large(j_common_ptr, void* object, size_t) {
    Free(object);
}
size_t jpeg_mem_available(j_common_ptr info, size_t, size_t maxBytesNeeded,
                          size_t alreadyAllocated) {
    const auto limit = static_cast<size_t>(info->mem->max_memory_to_use);
    if (!limit)
        return maxBytesNeeded;
    return limit > alreadyAllocated ? limit - alreadyAllocated : 0;
}
// Only asked for when jpeg_mem_available promised less than needed: there are no temporary files.
void jpeg_open_backing_store(j_common_ptr info, backing_store_struct*, long) {
    ERREXIT(info, JERR_NO_BACKING_STORE);
}
long jpeg_mem_init(j_common_ptr) {
    return 0; // no limit of our own: max_memory_to_use 0
}
void jpeg_mem_term(j_common_ptr) {}
}

namespace framework {

long JpegBlocksInUse() noexcept {
    return g_blocks.load();
}

namespace {

/// The library's error exit: the message it formats, as an exception. It unwinds through the
/// library's frames, which are built with -fexceptions for this.
[[noreturn]] void ThrowError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, message);
    throw EJpegError(message);
}

/// Warnings and traces are counted by the library (num_warnings); there is no console to show
/// them on.
void DropMessage(j_common_ptr) {}

/// A decompressor with an error manager that throws; destroyed with all its memory on every way
/// out.
class Decompressor {
public:
    Decompressor() {
        info_.err = ::jpeg_std_error(&errors_);
        errors_.error_exit = ThrowError;
        errors_.output_message = DropMessage;
        ::jpeg_create_decompress(&info_);
    }
    ~Decompressor() { ::jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct* operator->() noexcept { return &info_; }
    jpeg_decompress_struct* get() noexcept { return &info_; }

private:
    jpeg_error_mgr errors_{};
    jpeg_decompress_struct info_{};
};

} // namespace

std::unique_ptr<TBitmap> DecodeJpeg(std::span<const std::uint8_t> data) {
    Decompressor jpeg;
    // An empty buffer is the library's error too ("Empty input file").
    ::jpeg_mem_src(jpeg.get(), data.data(), static_cast<unsigned long>(data.size()));
    ::jpeg_read_header(jpeg.get(), TRUE);
    // Greyscale, YCbCr and RGB pictures convert to the DIB's byte order; alpha is set to 255.
    jpeg->out_color_space = JCS_EXT_BGRA;
    ::jpeg_calc_output_dimensions(jpeg.get());
    const auto width = static_cast<int>(jpeg->output_width);
    const auto height = static_cast<int>(jpeg->output_height);
    if (std::int64_t{width} * height > kMaxJpegPixels)
        throw EJpegError("JPEG picture too large: " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
    auto bitmap = std::make_unique<TBitmap>(width, height, pf32bit);
    ::jpeg_start_decompress(jpeg.get());
    while (jpeg->output_scanline < jpeg->output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(bitmap->ScanLine(jpeg->output_scanline));
        // A memory source never suspends (data that ends early is a warning, the rest grey):
        // no row is only possible by a fault of the library, and would loop for ever.
        if (::jpeg_read_scanlines(jpeg.get(), &row, 1) != 1)
            throw EJpegError("JPEG decoder returned no row");
    }
    ::jpeg_finish_decompress(jpeg.get());
    return bitmap;
}

} // namespace framework
