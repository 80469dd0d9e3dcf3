// A running float sum walked ahead without taking every step.
#pragma once

#include <cstdint>

// The value a loop `for k times: u += du` leaves in a float, bit for bit, in time that
// grows with the number of binades crossed rather than with k. Spans reaching far past
// the drawn part of a frame start their walk at the first drawn pixel this way.
float AdvanceFloatSum(float u, float du, int64_t k);

// out[k] = the value that loop leaves after k steps, k = 0 .. count - 1, bit for bit,
// without a chain of additions through the whole span.
void WalkFloatSum(float u, float du, int64_t count, float* out);

// WalkFloatSum four doubles a step; only where warp::HasAvx2().
void WalkFloatSumAvx2(float u, float du, int64_t count, float* out);
