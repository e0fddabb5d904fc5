#include "ImageResources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#if __has_include("ImageDecode.h")
#include "ImageDecode.h"
#define VULPANE_HAVE_DECODER 1
#endif

namespace {

struct ExpectedImage {
    int id;
    const char* name;
    int width;
    int height;
};

// The editor's image table: every id with its name and stored size.
const ExpectedImage kExpected[] = {
    {100, "img/background.png", 630, 440},
    {101, "img/dst_clean1.png", 448, 424},
    {102, "img/dst_clean2.png", 448, 424},
    {103, "img/dst_clean3.png", 448, 424},
    {104, "img/dst_clean4.png", 448, 424},
    {105, "img/dst_piezoacoustic.png", 448, 424},
    {106, "img/dst_tubecreamer.png", 448, 424},
    {107, "img/dst_fuzzz.png", 448, 424},
    {108, "img/dst_metalcharter.png", 448, 424},
    {109, "img/dst_metalmachine.png", 448, 424},
    {110, "img/dst_metalstyle.png", 448, 424},
    {111, "img/dst_jgm900.png", 448, 424},
    {112, "img/dst_dirtybox.png", 448, 424},
    {113, "img/dst_darktorsion.png", 448, 424},
    {114, "img/dst_bat.png", 448, 424},
    {115, "img/dst_poltergeist.png", 448, 424},
    {116, "img/dst_noisesoldier.png", 448, 424},
    {117, "img/dst_knob_01.png", 50, 3150},
    {118, "img/dst_knob_02.png", 50, 3150},
    {119, "img/dst_knob_05.png", 20, 2520},
    {120, "img/dst_knob_08.png", 30, 1890},
    {121, "img/dst_knob_10.png", 36, 2268},
    {122, "img/dst_knob_11.png", 50, 3150},
    {123, "img/dst_knob_12.png", 50, 3150},
    {124, "img/dst_knob_13.png", 50, 3150},
    {125, "img/dst_knob_15.png", 42, 2646},
    {126, "img/dst_knob_16.png", 50, 3150},
    {127, "img/vulpane_knob_001.png", 39, 2120},
    {128, "img/vulpane_knob_loudness.png", 30, 1950},
    {129, "img/vulpane_button_01.png", 31, 68},
    {130, "img/dst_switch_00.png", 40, 80},
    {131, "img/dst_switch_05.png", 97, 155},
    {132, "img/dst_switch_07.png", 90, 218},
    {133, "img/dst_switch_09.png", 156, 296},
    {134, "img/dst_switch_11.png", 137, 124},
    {135, "img/dst_switch_12.png", 141, 148},
    {136, "img/dst_pgswitch1.png", 30, 60},
    {137, "img/dst_pgswitch2.png", 30, 90},
    {138, "img/vulpane_led_01.png", 14, 28},
    {139, "img/vulpane_param_01.png", 141, 620},
    {140, "img/vulpane_param_02.png", 100, 620},
    {141, "img/vulpane_about.png", 319, 225},
    {142, "img/bg01.png", 430, 327},
    {143, "img/vulpane_fader.png", 10, 25},
    {144, "img/tuner_bg.png", 138, 74},
    {145, "img/tuner_meter.png", 67, 1520},
    {146, "img/tuner_btn.png", 12, 24},
    {147, "img/tuner_notes.png", 60, 4320},
    {148, "img/fopen.png", 81, 16},
    {149, "img/freqres.png", 346, 220},
    {150, "img/chain_gate.png", 34, 28},
    {151, "img/chain_amp.png", 34, 28},
    {152, "img/chain_cab.png", 34, 28},
    {153, "img/chain_eq.png", 34, 28},
    {154, "img/chain_ir.png", 34, 28},
    {155, "img/cabinet_speakers.png", 156, 1140},
};

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

uint32_t Crc32(const unsigned char* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

struct PngSummary {
    bool wellFormed = false;
    std::string problem;
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
};

// Walks the chunk list: signature, IHDR first, every chunk inside the data with a correct CRC,
// IEND last and nothing after it.
PngSummary ReadPng(const unsigned char* data, size_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngSummary s;
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        s.problem = "no PNG signature";
        return s;
    }
    size_t pos = 8;
    bool first = true;
    while (pos + 12 <= size) {
        uint32_t length = BigEndian32(data + pos);
        const unsigned char* type = data + pos + 4;
        if (length > size - pos - 12) {
            s.problem = "chunk runs past the end";
            return s;
        }
        if (Crc32(type, length + 4) != BigEndian32(type + 4 + length)) {
            s.problem = "bad CRC in chunk " + std::string(reinterpret_cast<const char*>(type), 4);
            return s;
        }
        if (first) {
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) {
                s.problem = "IHDR is not the first chunk";
                return s;
            }
            s.width = BigEndian32(type + 4);
            s.height = BigEndian32(type + 8);
            s.bitDepth = type[12];
            s.colourType = type[13];
            first = false;
        }
        pos += 12 + length;
        if (std::memcmp(type, "IEND", 4) == 0) {
            s.wellFormed = pos == size;
            if (!s.wellFormed) s.problem = "data after IEND";
            return s;
        }
    }
    s.problem = "no IEND chunk";
    return s;
}

TEST(ImageResources, EveryIdIsAWellFormedPngOfTheListedSize) {
    for (const ExpectedImage& e : kExpected) {
        SCOPED_TRACE(e.name);
        const unsigned char* data = nullptr;
        size_t size = 0;
        ASSERT_TRUE(FindImageResource(e.id, &data, &size));
        ASSERT_NE(data, nullptr);
        PngSummary png = ReadPng(data, size);
        ASSERT_TRUE(png.wellFormed) << png.problem;
        EXPECT_EQ(png.width, uint32_t(e.width));
        EXPECT_EQ(png.height, uint32_t(e.height));
        // The editor's decoder expects 8-bit truecolour, with or without alpha.
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_TRUE(png.colourType == 2 || png.colourType == 6) << "colour type " << png.colourType;
    }
}

TEST(ImageResources, IdsOutsideTheTableAreNotFound) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>("untouched");
    size_t size = 7;
    for (int id : {-1, 0, 99, 156, 1000, 100000}) {
        EXPECT_FALSE(FindImageResource(id, &data, &size)) << id;
    }
    EXPECT_STREQ(reinterpret_cast<const char*>(data), "untouched");
    EXPECT_EQ(size, 7u);
}

TEST(ImageResources, NamesMapToTheirIds) {
    for (const ExpectedImage& e : kExpected)
        EXPECT_EQ(FindImageResourceId(e.name), e.id) << e.name;
    EXPECT_EQ(FindImageResourceId("img/missing.png"), -1);
    EXPECT_EQ(FindImageResourceId("background.png"), -1);
    EXPECT_EQ(FindImageResourceId(""), -1);
    EXPECT_EQ(FindImageResourceId(nullptr), -1);
}

#ifdef VULPANE_HAVE_DECODER
TEST(ImageResources, EveryImageDecodesToItsListedSize) {
    for (const ExpectedImage& e : kExpected) {
        SCOPED_TRACE(e.name);
        IRaster* bitmap = DecodePngResource(nullptr, e.id);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->Width(), e.width);
        EXPECT_EQ(bitmap->Height(), e.height);
        delete bitmap;
    }
}
#endif

} // namespace
