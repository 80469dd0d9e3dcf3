// The progress line a user watches on a terminal.
#include <gtest/gtest.h>

#include "tools/ferrule-render/progress.h"

namespace {

TEST(Progress, FormatsTheLine) {
    EXPECT_EQ(render::FormatProgress(45, 100, 45 / 23.4, 20), "[#########           ]  45/100 frames  23.4 fps  0:02 left");
    EXPECT_EQ(render::FormatProgress(0, 100, 0.0, 20), "[                    ]   0/100 frames  0.0 fps  -:-- left");
    EXPECT_EQ(render::FormatProgress(100, 100, 4.0, 20), "[####################] 100/100 frames  25.0 fps  0:00 left");
    EXPECT_EQ(render::FormatProgress(1, 10000, 1.0, 4), "[    ]     1/10000 frames  1.0 fps  2:46:39 left");
}

}  // namespace
