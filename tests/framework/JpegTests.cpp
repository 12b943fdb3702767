// The JPEG decoder: pictures made here with the library's own encoder (baseline and progressive,
// greyscale, YCbCr and RGB), the stored banner, and damaged data: the library's faults come back
// as exceptions with its message and leave no memory or bitmap behind, its warnings do not stop a
// decode.
#include "framework/Jpeg.h"
#include "framework/WindowDefinition.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using framework::DecodeJpeg;
using framework::EJpegError;
using framework::JpegBlocksInUse;
using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
};

enum class Kind { Grey, YCbCr, Rgb, Cmyk };

struct Picture {
    int width, height;
    Kind kind;
    bool progressive;
    std::function<Rgb(int x, int y)> pixel;
};

[[noreturn]] void EncoderFailed(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, message);
    throw std::runtime_error(message);
}

/// The picture encoded by the library at quality 95 (4:2:0 for YCbCr).
Bytes Encode(const Picture& p) {
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = ::jpeg_std_error(&errors);
    errors.error_exit = EncoderFailed;
    unsigned char* out = nullptr;
    unsigned long size = 0;
    ::jpeg_create_compress(&c);
    struct Cleanup {
        jpeg_compress_struct& c;
        unsigned char*& out;
        ~Cleanup() {
            ::jpeg_destroy_compress(&c);
            std::free(out);
        }
    } cleanup{c, out};
    ::jpeg_mem_dest(&c, &out, &size);
    c.image_width = p.width;
    c.image_height = p.height;
    c.input_components = p.kind == Kind::Grey ? 1 : p.kind == Kind::Cmyk ? 4 : 3;
    c.in_color_space = p.kind == Kind::Grey   ? JCS_GRAYSCALE
                       : p.kind == Kind::Cmyk ? JCS_CMYK
                                              : JCS_RGB;
    ::jpeg_set_defaults(&c);
    if (p.kind == Kind::Rgb)
        ::jpeg_set_colorspace(&c, JCS_RGB);
    ::jpeg_set_quality(&c, 95, TRUE);
    if (p.progressive)
        ::jpeg_simple_progression(&c);
    ::jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(p.width) * c.input_components);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            Rgb v = p.pixel(x, y);
            JSAMPLE* s = &row[static_cast<size_t>(x) * c.input_components];
            if (p.kind == Kind::Grey) {
                s[0] = static_cast<JSAMPLE>(v.r);
            } else {
                s[0] = static_cast<JSAMPLE>(v.r);
                s[1] = static_cast<JSAMPLE>(v.g);
                s[2] = static_cast<JSAMPLE>(v.b);
                if (p.kind == Kind::Cmyk)
                    s[3] = 0;
            }
        }
        JSAMPROW rows[] = {row.data()};
        ::jpeg_write_scanlines(&c, rows, 1);
    }
    ::jpeg_finish_compress(&c);
    return Bytes(out, out + size);
}

/// Quarters of red, green, blue and white; greyscale: 30 at the left, 220 at the right.
Rgb Quarters(int x, int y, int w, int h) {
    if (x < w / 2)
        return y < h / 2 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
    return y < h / 2 ? Rgb{0, 255, 0} : Rgb{255, 255, 255};
}

::testing::AssertionResult Near(const framework::TBitmap& bitmap, int x, int y, Rgb want,
                                int tolerance) {
    const std::uint32_t pixel = bitmap.ScanLine(y)[x];
    const Rgb got{int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    const bool within = std::abs(got.r - want.r) <= tolerance &&
                        std::abs(got.g - want.g) <= tolerance &&
                        std::abs(got.b - want.b) <= tolerance && (pixel >> 24) == 0xFF;
    if (within)
        return ::testing::AssertionSuccess();
    char text[120];
    std::snprintf(text, sizeof text, "(%d, %d) is %08X, expected about %d %d %d (alpha FF)", x, y,
                  pixel, want.r, want.g, want.b);
    return ::testing::AssertionFailure() << text;
}

std::span<const std::uint8_t> Span(std::string_view data) {
    return {reinterpret_cast<const std::uint8_t*>(data.data()), data.size()};
}

/// The position of the FF byte of the nth marker with that code (0xC0 SOF0, 0xC4 DHT, 0xDA SOS,
/// ...) in a well-formed stream, walking segment by segment and over entropy-coded data.
size_t FindMarker(const Bytes& d, std::uint8_t code, int nth = 0) {
    for (size_t i = 0; i + 3 < d.size();) {
        const std::uint8_t at = d[i + 1];
        if (at == code && nth-- == 0)
            return i;
        if (at == 0xD9)
            break;
        i += at == 0xD8 ? 2 : 2 + (d[i + 2] << 8 | d[i + 3]);
        if (at == 0xDA) // up to the next marker: not a stuffed FF 00, not a restart marker
            while (i + 1 < d.size() &&
                   !(d[i] == 0xFF && d[i + 1] != 0 && (d[i + 1] < 0xD0 || d[i + 1] > 0xD7)))
                ++i;
    }
    throw std::logic_error("marker not found");
}

class JpegTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(JpegBlocksInUse(), 0); }
    void TearDown() override {
        EXPECT_EQ(JpegBlocksInUse(), 0) << "the decoder kept memory";
        EXPECT_EQ(framework::GraphicsObjectStats().Alive, aliveAtStart_) << "a bitmap stayed";
    }
    long aliveAtStart_ = framework::GraphicsObjectStats().Alive;
};

TEST_F(JpegTest, DecodesEveryKindOfPictureIntoAnOpaque32BitTopDownBitmap) {
    struct Case {
        const char* name;
        Kind kind;
        bool progressive;
        int width, height;
    };
    const Case cases[] = {
        {"baseline YCbCr", Kind::YCbCr, false, 37, 21},
        {"progressive YCbCr", Kind::YCbCr, true, 64, 48},
        {"baseline RGB", Kind::Rgb, false, 40, 40},
        {"baseline greyscale", Kind::Grey, false, 33, 17},
        {"progressive greyscale", Kind::Grey, true, 50, 8},
        {"one pixel", Kind::YCbCr, true, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int w = c.width, h = c.height;
        Picture picture{w, h, c.kind, c.progressive, [&](int x, int y) {
                            if (c.kind != Kind::Grey)
                                return Quarters(x, y, w, h);
                            int v = x < w / 2 ? 30 : 220;
                            return Rgb{v, v, v};
                        }};
        auto bitmap = DecodeJpeg(Encode(picture));
        ASSERT_TRUE(bitmap);
        EXPECT_EQ(bitmap->Width(), w);
        EXPECT_EQ(bitmap->Height(), h);
        EXPECT_EQ(bitmap->PixelFormat(), framework::pf32bit);
        DIBSECTION dib{};
        ASSERT_EQ(::GetObjectA(bitmap->Handle(), sizeof dib, &dib), int(sizeof dib));
        EXPECT_EQ(dib.dsBmih.biBitCount, 32);
        EXPECT_EQ(bitmap->ScanLine(0), dib.dsBm.bmBits) << "top-down";
        // The corners, away from the quarters' edges where chroma is shared.
        for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
            EXPECT_TRUE(Near(*bitmap, p.x, p.y, picture.pixel(p.x, p.y), 12));
    }
}

TEST_F(JpegTest, TheStoredBannerIsAProgressiveColourPictureOfTheBannersSize) {
    const std::string_view stored = framework::ResourceData("BANNER");
    const Bytes data(stored.begin(), stored.end());
    // SOF2, progressive Huffman: precision 8, height 85, width 371, three components.
    const size_t sof = FindMarker(data, 0xC2);
    EXPECT_EQ(data[sof + 4], 8);
    EXPECT_EQ(data[sof + 5] << 8 | data[sof + 6], 85);
    EXPECT_EQ(data[sof + 7] << 8 | data[sof + 8], 371);
    EXPECT_EQ(data[sof + 9], 3);

    auto banner = DecodeJpeg(Span(stored));
    ASSERT_EQ(banner->Width(), 371);
    ASSERT_EQ(banner->Height(), 85);
    struct Sample {
        int x, y;
        Rgb colour;
        const char* what;
    };
    const Sample samples[] = {
        {2, 2, {224, 240, 253}, "the gradient's light top"},
        {2, 82, {146, 193, 237}, "the gradient's deeper bottom"},
        {185, 83, {145, 192, 236}, "the bottom in the middle"},
        {25, 17, {255, 255, 255}, "white inside the logo's T"},
    };
    for (const Sample& s : samples)
        EXPECT_TRUE(Near(*banner, s.x, s.y, s.colour, 10)) << s.what;
}

TEST_F(JpegTest, FaultsOfTheLibraryThrowItsMessageAndReleaseEverything) {
    const Bytes good = Encode({24, 16, Kind::YCbCr, false, [](int, int) {
                                   return Rgb{9, 99, 199};
                               }});
    const Bytes cmyk = Encode({8, 8, Kind::Cmyk, false, [](int, int) { return Rgb{1, 2, 3}; }});
    const size_t sof = FindMarker(good, 0xC0), dht = FindMarker(good, 0xC4);
    auto patched = [&](std::function<void(Bytes&)> change) {
        Bytes b = good;
        change(b);
        return b;
    };
    struct Case {
        const char* name;
        Bytes data;
        const char* message;
    };
    const Case cases[] = {
        {"no data", {}, "Empty input file"},
        {"a bitmap file", {'B', 'M', 0x36, 0, 0, 0}, "Not a JPEG file: starts with 0x42 0x4d"},
        {"only the start of image", {0xFF, 0xD8}, "JPEG datastream contains no image"},
        {"ends inside the frame header", Bytes(good.begin(), good.begin() + sof + 6),
         "Bogus marker length"},
        {"12-bit samples", patched([&](Bytes& b) { b[sof + 4] = 12; }),
         "Unsupported JPEG data precision 12"},
        {"no columns", patched([&](Bytes& b) { b[sof + 7] = b[sof + 8] = 0; }),
         "Empty JPEG image (DNL not supported)"},
        {"a Huffman table of too many codes", patched([&](Bytes& b) { b[dht + 5 + 15] = 0xFF; }),
         "Bogus Huffman table definition"},
        {"four colour components", cmyk, "Unsupported color conversion request"},
        {"65,500 x 65,500 pixels",
         patched([&](Bytes& b) { b[sof + 5] = b[sof + 7] = 0xFF, b[sof + 6] = b[sof + 8] = 0xDC; }),
         "JPEG picture too large: 65500 x 65500 pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            DecodeJpeg(c.data);
            ADD_FAILURE() << "decoded";
        } catch (const EJpegError& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_STREQ(e.ClassName(), "EJpegError");
        }
        EXPECT_EQ(JpegBlocksInUse(), 0);
    }
    // The decoder still works afterwards.
    EXPECT_EQ(DecodeJpeg(good)->Width(), 24);
}

TEST_F(JpegTest, WarningsKeepWhatCouldBeDecoded) {
    // 64 x 64 red. Its data cut off: a baseline picture has its first rows and grey below them;
    // a progressive one that keeps its first scan (the DC values) is red all over, if coarse.
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const Bytes red = Encode({64, 64, Kind::YCbCr, progressive, [](int, int) {
                                      return Rgb{255, 0, 0};
                                  }});
        const size_t scan = FindMarker(red, 0xDA);
        const size_t end = progressive ? FindMarker(red, 0xDA, 1) : scan + (red.size() - scan) / 3;
        auto bitmap = DecodeJpeg({red.data(), end});
        ASSERT_EQ(bitmap->Height(), 64);
        EXPECT_TRUE(Near(*bitmap, 5, 2, {255, 0, 0}, 12));
        if (progressive)
            EXPECT_TRUE(Near(*bitmap, 60, 62, {255, 0, 0}, 12));
        else
            EXPECT_TRUE(Near(*bitmap, 60, 62, {128, 128, 128}, 2));
        // Stray bytes between two marker segments.
        Bytes stray = red;
        stray.insert(stray.begin() + FindMarker(red, progressive ? 0xC2 : 0xC0), {0x12, 0x34});
        EXPECT_TRUE(Near(*DecodeJpeg(stray), 30, 30, {255, 0, 0}, 12));
    }
}

} // namespace
