#ifndef _WIN32

#include "ITextRenderer.h"
#include "RasterOps.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <vector>

namespace {

// Next code point of a UTF-8 text; a byte that starts no valid sequence is taken as Latin-1.
unsigned long NextCodePoint(const unsigned char*& p) {
    const unsigned char c = *p;
    int extra = c >= 0xf0 && c < 0xf8 ? 3 : c >= 0xe0 ? 2 : c >= 0xc0 ? 1 : 0;
    if (c < 0x80 || extra == 0 || (c >= 0xe0 && extra == 1)) {
        ++p;
        return c;
    }
    unsigned long code = c & (0x3f >> extra);
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xc0) != 0x80) {
            ++p;
            return c;
        }
        code = (code << 6) | (p[i] & 0x3f);
    }
    p += extra + 1;
    return code;
}

class FreeTypeText : public ITextRenderer {
public:
    FreeTypeText() = default;
    ~FreeTypeText() override {
        for (Face& f : faces)
            if (f.face) FT_Done_Face(f.face);
        if (library) FT_Done_FreeType(library);
    }

    bool DrawText(IRaster* target, const IRect& clip, const ITextStyle& style, const char* text,
                  const IRect& rect) override;
    int TextWidth(IRaster* target, const ITextStyle& style, const char* text) override;

private:
    struct Face {
        std::string family;
        int style;
        FT_Face face;
    };

    FT_Face FaceFor(const ITextStyle& style);
    // The pen advance of the whole text, in 1/64 pixels, with kerning.
    static long Advance(FT_Face face, const std::vector<unsigned long>& codes);
    void SetHeight(FT_Face face, int cellHeight);

    // FreeType starts with the first text drawn or measured, so an editor never shown costs nothing.
    bool Ready() {
        if (!started) {
            started = true;
            if (FT_Init_FreeType(&library) != 0) library = nullptr;
        }
        return library != nullptr;
    }

    FT_Library library = nullptr;
    bool started = false;
    std::vector<Face> faces;
};

FT_Face FreeTypeText::FaceFor(const ITextStyle& style) {
    for (const Face& f : faces)
        if (f.style == style.style && f.family == style.face) return f.face;
    FT_Face face = nullptr;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(style.face));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        style.style == ITextStyle::kBold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        style.style == ITextStyle::kItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    int index = 0;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) != 0) face = nullptr;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    faces.push_back(Face{style.face, style.style, face}); // a failed lookup is remembered too
    return face;
}

// The size is the cell height (ascent plus descent), as the system font engine takes it.
void FreeTypeText::SetHeight(FT_Face face, int cellHeight) {
    if (FT_IS_SCALABLE(face) && face->ascender - face->descender > 0) {
        const long em =
            static_cast<long>(cellHeight) * face->units_per_EM * 64 / (face->ascender - face->descender);
        FT_Set_Char_Size(face, 0, em, 72, 72);
    } else {
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(cellHeight));
    }
}

std::vector<unsigned long> CodePoints(const char* text) {
    std::vector<unsigned long> codes;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;)
        codes.push_back(NextCodePoint(p));
    return codes;
}

long FreeTypeText::Advance(FT_Face face, const std::vector<unsigned long>& codes) {
    long width = 0;
    FT_UInt previous = 0;
    const bool kerning = FT_HAS_KERNING(face);
    for (unsigned long code : codes) {
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (kerning && previous && glyph) {
            FT_Vector delta;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &delta);
            width += delta.x;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) == 0) width += face->glyph->advance.x;
        previous = glyph;
    }
    return width;
}

int FreeTypeText::TextWidth(IRaster*, const ITextStyle& style, const char* text) {
    if (!text || style.size <= 0 || !Ready()) return -1;
    FT_Face face = FaceFor(style);
    if (!face) return -1;
    SetHeight(face, style.size);
    return static_cast<int>((Advance(face, CodePoints(text)) + 63) >> 6);
}

bool FreeTypeText::DrawText(IRaster* target, const IRect& clip, const ITextStyle& style, const char* text,
                            const IRect& rect) {
    if (!target || !target->Pixels() || !text || !*text || style.size <= 0 || !Ready()) return true;
    FT_Face face = FaceFor(style);
    if (!face) return true;
    SetHeight(face, style.size);
    // Measure first, for the alignment.
    const std::vector<unsigned long> codes = CodePoints(text);
    const long width = Advance(face, codes);
    const bool kerning = FT_HAS_KERNING(face);
    FT_UInt previous = 0;
    long penX = static_cast<long>(rect.left) * 64;
    if (style.align == ITextStyle::kAlignCentre)
        penX += (static_cast<long>(rect.W()) * 64 - width) / 2;
    else if (style.align == ITextStyle::kAlignRight)
        penX = static_cast<long>(rect.right) * 64 - width;
    const int baseline = rect.top + static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    const IRect bounds = clip.Intersect(IRect(0, 0, target->Width(), target->Height()));
    const uint32_t colour = (static_cast<uint32_t>(style.colour.A & 255) << 24) |
                            (static_cast<uint32_t>(style.colour.R & 255) << 16) |
                            (static_cast<uint32_t>(style.colour.G & 255) << 8) |
                            static_cast<uint32_t>(style.colour.B & 255);
    for (unsigned long code : codes) {
        const FT_UInt glyph = FT_Get_Char_Index(face, code);
        if (kerning && previous && glyph) {
            FT_Vector delta;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &delta);
            penX += delta.x;
        }
        previous = glyph;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        const int x0 = static_cast<int>((penX + 32) >> 6) + slot->bitmap_left;
        const int y0 = baseline - slot->bitmap_top;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const int y = y0 + static_cast<int>(row);
                if (y < bounds.top || y >= bounds.bottom) continue;
                const unsigned char* src = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
                for (unsigned col = 0; col < bitmap.width; ++col) {
                    const int x = x0 + static_cast<int>(col);
                    if (x < bounds.left || x >= bounds.right || src[col] == 0) continue;
                    const int coverage = src[col] + (src[col] >> 7); // 0..256
                    SetPixelAt(target, x, y, colour, static_cast<float>(coverage) / 256.0f, kModeCopy);
                }
            }
        }
        penX += slot->advance.x;
    }
    return true;
}

} // namespace

std::unique_ptr<ITextRenderer> NewSystemTextRenderer() {
    return std::make_unique<FreeTypeText>();
}

#endif
