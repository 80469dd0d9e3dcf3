#include "text_title.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <type_traits>

#include "gfx/bitmap.h"

namespace render {

namespace {

struct LibraryDone {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDone {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDone>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDone>;

constexpr char32_t kReplacement = 0xFFFD;

// Code points of each line; a malformed sequence reads as U+FFFD, one byte at a time.
std::vector<std::u32string> DecodeLines(const std::string& text) {
    std::vector<std::u32string> lines(1);
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t len = 1;
        char32_t cp = b, least = 0;
        if (b >= 0x80) {
            if ((b & 0xE0) == 0xC0) len = 2, cp = b & 0x1F, least = 0x80;
            else if ((b & 0xF0) == 0xE0) len = 3, cp = b & 0x0F, least = 0x800;
            else if ((b & 0xF8) == 0xF0) len = 4, cp = b & 0x07, least = 0x10000;
            else len = 0;
            bool ok = len != 0 && i + len <= n;
            for (size_t k = 1; ok && k < len; ++k) {
                const auto c = static_cast<unsigned char>(text[i + k]);
                ok = (c & 0xC0) == 0x80;
                cp = (cp << 6) | (c & 0x3F);
            }
            if (!ok || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement, len = 1;
        }
        i += len;
        if (cp == U'\n') lines.emplace_back();
        else if (cp != U'\r') lines.back().push_back(cp);
    }
    return lines;
}

// One rendered glyph at its place in the text, top-down pixels from the text's top.
struct PlacedGlyph {
    int left, top, width, height;
    std::vector<uint8_t> coverage;
};

int Round26_6(FT_Pos v) { return static_cast<int>((v + 32) >> 6); }

struct PatternDone {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct ConfigDone {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDone>;
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDone>;

// The file and face index of the font fontconfig offers for cp, preferring faces like
// `family`; empty when it has nothing.
std::pair<std::string, int> FontFor(FcConfig* config, char32_t cp, const char* family) {
    const PatternPtr pattern(FcPatternCreate());
    FcCharSet* chars = FcCharSetCreate();
    if (!pattern || !chars) {
        if (chars) FcCharSetDestroy(chars);
        return {};
    }
    FcCharSetAddChar(chars, cp);
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, chars);
    FcCharSetDestroy(chars);  // the pattern holds its own reference
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const PatternPtr match(FcFontMatch(config, pattern.get(), &result));
    FcChar8* file = nullptr;
    int index = 0;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return {};
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return {reinterpret_cast<const char*>(file), index};
}

// Glyphs by code point: the title's own font where it has them, else the font that
// fontconfig finds for each missing one, so a script DejaVu lacks does not come out
// as boxes. Without any, the own font's missing-glyph box stands. Fontconfig is asked
// through a configuration of the title's own, loaded only when a character is missing
// and released with it, rather than the process-wide one it never lets go of.
class Faces {
public:
    Faces(FT_Library library, FT_Face own, FT_UInt pixel_size) : library_(library), own_(own), size_(pixel_size) {}

    std::pair<FT_Face, FT_UInt> For(char32_t cp) {
        if (const FT_UInt index = FT_Get_Char_Index(own_, cp); index || cp < 0x20) return {own_, index};
        const auto known = chosen_.find(cp);
        if (known != chosen_.end()) return known->second;
        std::pair<FT_Face, FT_UInt> pick{own_, 0};
        if (!config_) config_.reset(FcInitLoadConfigAndFonts());
        const std::pair<std::string, int> font =
            config_ ? FontFor(config_.get(), cp, own_->family_name ? own_->family_name : "sans-serif")
                    : std::pair<std::string, int>{};
        if (!font.first.empty()) {
            FacePtr& face = opened_[font];
            if (!face) {
                FT_Face raw = nullptr;
                if (!FT_New_Face(library_, font.first.c_str(), font.second, &raw)) face.reset(raw);
                if (face && FT_Set_Pixel_Sizes(face.get(), 0, size_)) face.reset();
            }
            if (face)
                if (const FT_UInt index = FT_Get_Char_Index(face.get(), cp)) pick = {face.get(), index};
        }
        return chosen_[cp] = pick;
    }

private:
    FT_Library library_;
    FT_Face own_;
    FT_UInt size_;
    ConfigPtr config_;
    std::map<std::pair<std::string, int>, FacePtr> opened_;
    std::map<char32_t, std::pair<FT_Face, FT_UInt>> chosen_;
};

// A frame coordinate, kept where offsets added to it stay far from overflow.
int64_t ToPixel(double v) {
    if (std::isnan(v)) return INT_MIN;
    return std::llround(std::clamp(v, -1e9, 1e9));
}

}  // namespace

TextTitle::TextTitle(const Title& title, std::vector<uint8_t> mask, int mask_width, int mask_height, int offset_x,
                     int offset_y)
    : title_(title),
      mask_(std::move(mask)),
      mask_width_(mask_width),
      mask_height_(mask_height),
      offset_x_(offset_x),
      offset_y_(offset_y) {}

std::unique_ptr<TextTitle> TextTitle::Create(const Title& title, const std::string& font_path) {
    const std::runtime_error cannot_load("cannot load font \"" + font_path + "\"");
    FT_Library raw_library = nullptr;
    if (FT_Init_FreeType(&raw_library)) throw cannot_load;
    const LibraryPtr library(raw_library);
    FT_Face raw_face = nullptr;
    if (FT_New_Face(library.get(), font_path.c_str(), 0, &raw_face)) throw cannot_load;
    const FacePtr face(raw_face);
    const auto pixel_size = static_cast<FT_UInt>(std::max(1, title.size));
    if (FT_Set_Pixel_Sizes(face.get(), 0, pixel_size)) throw cannot_load;
    Faces faces(library.get(), face.get(), pixel_size);

    const int line_height = Round26_6(face->size->metrics.height);
    const int ascender = Round26_6(face->size->metrics.ascender);
    const bool kerning = FT_HAS_KERNING(face.get());
    const std::vector<std::u32string> lines = DecodeLines(title.text);

    std::vector<PlacedGlyph> glyphs;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int baseline = ascender + static_cast<int>(i) * line_height;
        const size_t first = glyphs.size();
        FT_Pos pen = 0;
        FT_UInt previous = 0;
        FT_Face previous_face = nullptr;
        for (const char32_t cp : lines[i]) {
            const auto [glyph_face, index] = faces.For(cp);
            if (kerning && glyph_face == face.get() && previous_face == glyph_face && previous && index) {
                FT_Vector k{};
                if (!FT_Get_Kerning(face.get(), previous, index, FT_KERNING_DEFAULT, &k)) pen += k.x;
            }
            previous = index;
            previous_face = glyph_face;
            if (FT_Load_Glyph(glyph_face, index, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP)) continue;
            const FT_GlyphSlot slot = glyph_face->glyph;
            const FT_Bitmap& bm = slot->bitmap;
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.width > 0 && bm.rows > 0) {
                PlacedGlyph g{Round26_6(pen) + slot->bitmap_left, baseline - slot->bitmap_top,
                              static_cast<int>(bm.width), static_cast<int>(bm.rows), {}};
                g.coverage.resize(static_cast<size_t>(g.width) * g.height);
                const int step = std::abs(bm.pitch);
                for (int r = 0; r < g.height; ++r) {  // a negative pitch stores the bottom row first
                    const uint8_t* src = bm.buffer + static_cast<ptrdiff_t>(bm.pitch >= 0 ? r : g.height - 1 - r) * step;
                    std::memcpy(g.coverage.data() + static_cast<size_t>(r) * g.width, src, g.width);
                }
                glyphs.push_back(std::move(g));
            }
            pen += slot->advance.x;
        }
        const int half_width = Round26_6(pen) / 2;
        for (size_t k = first; k < glyphs.size(); ++k) glyphs[k].left -= half_width;
    }
    const int half_height = static_cast<int>(lines.size()) * line_height / 2;
    if (glyphs.empty()) return std::unique_ptr<TextTitle>(new TextTitle(title, {}, 0, 0, 0, 0));

    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const PlacedGlyph& g : glyphs) {
        x0 = std::min(x0, g.left), y0 = std::min(y0, g.top);
        x1 = std::max(x1, g.left + g.width), y1 = std::max(y1, g.top + g.height);
    }
    const int mw = x1 - x0, mh = y1 - y0;
    std::vector<uint8_t> mask(static_cast<size_t>(mw) * mh, 0);
    for (const PlacedGlyph& g : glyphs) {  // overlapping glyphs keep the stronger coverage
        for (int r = 0; r < g.height; ++r) {
            uint8_t* d = mask.data() + static_cast<size_t>(g.top - y0 + r) * mw + (g.left - x0);
            const uint8_t* s = g.coverage.data() + static_cast<size_t>(r) * g.width;
            for (int c = 0; c < g.width; ++c) d[c] = std::max(d[c], s[c]);
        }
    }
    return std::unique_ptr<TextTitle>(new TextTitle(title, std::move(mask), mw, mh, x0, y0 - half_height));
}

int TextTitle::OpacityAt(int32_t duration, int32_t position) const {
    double o = 1;
    if (title_.fade_in > 0) o = std::min(o, (position + 1.0) / (title_.fade_in + 1.0));
    if (title_.fade_out > 0) o = std::min(o, (static_cast<double>(duration) - position) / (title_.fade_out + 1.0));
    return static_cast<int>(std::clamp<long>(std::lround(256 * o), 0, 256));
}

void TextTitle::RenderTitle(const FrameRef* input, uint8_t** output, int32_t, int32_t duration, int32_t position) {
    if (!input || !input->pixels || !output || !*output || input->width <= 0 || input->height <= 0) return;
    const int width = input->width, height = input->height;
    const int pitch = gfx::Rgb24RowBytes(width);
    uint8_t* out = *output;
    if (out != input->pixels) std::memcpy(out, input->pixels, static_cast<size_t>(pitch) * height);
    const int opacity = OpacityAt(duration, position);
    if (mask_.empty() || opacity == 0) return;

    const int64_t left = ToPixel(title_.x * width) + offset_x_;
    const int64_t top = ToPixel(title_.y * height - title_.scroll * position) + offset_y_;
    const int x0 = static_cast<int>(std::clamp<int64_t>(left, 0, width));
    const int x1 = static_cast<int>(std::clamp<int64_t>(left + mask_width_, 0, width));
    const int y0 = static_cast<int>(std::clamp<int64_t>(top, 0, height));
    const int y1 = static_cast<int>(std::clamp<int64_t>(top + mask_height_, 0, height));
    const uint8_t colour[3] = {static_cast<uint8_t>(title_.colour), static_cast<uint8_t>(title_.colour >> 8),
                               static_cast<uint8_t>(title_.colour >> 16)};  // B, G, R as in the frame
    for (int y = y0; y < y1; ++y) {  // y from the top; the frame keeps it in memory row height-1-y
        const uint8_t* m = mask_.data() + static_cast<size_t>(y - top) * mask_width_ + (x0 - left);
        uint8_t* d = out + static_cast<ptrdiff_t>(height - 1 - y) * pitch + 3 * x0;
        for (int x = x0; x < x1; ++x, ++m, d += 3) {
            const int a = (*m * opacity + 128) >> 8;
            if (a == 0) continue;
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((colour[c] * a + d[c] * (255 - a) + 127) / 255);
        }
    }
}

}  // namespace render
