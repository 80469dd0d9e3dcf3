// Placements for the edit window suites: axis-aligned boxes and whole quadrilaterals.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "channels/edit_placement.h"

namespace test {

using Quad = std::array<OverlayCorner, 4>;

inline EditPlacement QuadPlacement(const Quad& q, int ref_w = 640, int ref_h = 480) {
    EditPlacement p;
    for (int k = 0; k < 4; ++k) p.corners[k] = q[k];
    p.reference_width = ref_w;
    p.reference_height = ref_h;
    return p;
}

inline EditPlacement BoxPlacement(float l, float t, float r, float b, int ref_w = 640, int ref_h = 480) {
    return QuadPlacement({{{l, t}, {r, t}, {r, b}, {l, b}}}, ref_w, ref_h);
}

inline Quad CornersOf(const EditPlacement& p) { return {p.corners[0], p.corners[1], p.corners[2], p.corners[3]}; }

// Exact: every value these suites expect is representable and reached without rounding.
inline void ExpectCorners(const EditPlacement& p, const Quad& want) {
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.corners[k].x, want[k].x) << "corner " << k;
        EXPECT_EQ(p.corners[k].y, want[k].y) << "corner " << k;
    }
}

// Every field, bit for bit: the placement is all 32-bit fields, without padding.
inline void ExpectSamePlacement(const EditPlacement& a, const EditPlacement& b) {
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

}  // namespace test
