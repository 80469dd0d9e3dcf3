// Points in drawing coordinates: floats as callers hand them in, doubles for the
// geometry built from them (offsets and miters of huge coordinates stay finite).
#pragma once

namespace gfx {

struct PointF {
    float x, y;
};

struct PointD {
    double x, y;
};

}  // namespace gfx
