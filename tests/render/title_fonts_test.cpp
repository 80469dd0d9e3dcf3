// Titles in scripts DejaVu Sans lacks.
#include <gtest/gtest.h>

#include <string>

#include "tools/ferrule-render/text_title.h"

namespace {

// A CJK title draws each character's own shape, not the box DejaVu Sans has for what
// it lacks, which is what a character no font has still gets.
TEST(TitleFonts, CharactersDejaVuLacksComeFromAFontThatHasThem) {
    const auto mask = [](const std::string& text) {
        render::Title t;
        t.text = text, t.size = 24;
        const auto title = render::TextTitle::Create(t);
        return std::make_pair(title->MaskWidth(), title->Mask());
    };
    const auto box = mask("\xF4\x8F\xBF\xBD");  // U+10FFFD: in no font
    const auto zhong = mask("\xE4\xB8\xAD"), wen = mask("\xE6\x96\x87");  // 中, 文
    const auto box_box = mask("\xF4\x8F\xBF\xBD\xF4\x8F\xBF\xBD");
    ASSERT_FALSE(box.second.empty());
    EXPECT_GT(box_box.first, box.first) << "boxes still take their room";
    for (const auto& glyph : {zhong, wen}) {
        ASSERT_FALSE(glyph.second.empty());
        EXPECT_NE(glyph, box) << "drawn as the missing-glyph box";
    }
    EXPECT_NE(zhong, wen);
}

}  // namespace
