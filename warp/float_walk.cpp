#include "warp/float_walk.h"

#include <cfloat>
#include <cmath>

// Inside one stretch of floats with one spacing q (a binade of one sign, or the
// subnormals around zero), adding du rounds to the same multiple of q every time, as
// long as the exact sum cannot leave the stretch. The one exception is a sum that
// falls exactly halfway: it rounds to the even neighbour, so after one such step every
// value is an even multiple of q and the increment is again fixed. Far enough from the
// stretch's ends, many steps collapse into one exact multiplication.
float AdvanceFloatSum(float u, float du, int64_t k) {
    while (k > 0) {
        const double ud = u;
        const double adu = std::fabs(static_cast<double>(du));
        double lo, hi, q;
        if (std::fabs(ud) < static_cast<double>(FLT_MIN)) {
            lo = -static_cast<double>(FLT_MIN);
            hi = static_cast<double>(FLT_MIN);
            q = std::ldexp(1.0, -149);
        } else if (std::isfinite(ud)) {
            int e = 0;
            std::frexp(ud, &e);  // |u| in [2^(e-1), 2^e)
            const double a = std::ldexp(1.0, e - 1), b = std::ldexp(1.0, e);
            lo = ud > 0 ? a : -b;
            hi = ud > 0 ? b : -a;
            q = std::ldexp(1.0, e - 24);
        } else {
            return u;  // infinity and NaN stay what they are
        }

        const bool safe = std::isfinite(adu) && ud - lo >= adu + q && hi - ud >= adu + q;
        const double r = adu / q;
        const bool tie = r - std::floor(r) == 0.5;
        const bool even = std::fmod(ud / q, 2.0) == 0.0;
        if (safe && (!tie || even)) {
            const float next = u + du;
            const double d = static_cast<double>(next) - ud;
            if (d == 0) return u;
            // Steps whose starting value still lies a full |du| + q inside the stretch.
            const double bound = d > 0 ? hi - adu - q : lo + adu + q;
            double m = std::floor((bound - ud) / d) + 1;
            if (m < 1) m = 1;
            if (m > static_cast<double>(k)) m = static_cast<double>(k);
            u = static_cast<float>(ud + m * d);
            k -= static_cast<int64_t>(m);
            continue;
        }
        const float next = u + du;
        --k;
        if (next == u || !std::isfinite(next)) return next;
        u = next;
    }
    return u;
}
