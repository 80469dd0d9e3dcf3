#pragma once

// The host never addresses internal channel 1: it holds the slide effects of overlays
// on channel 0, between host channel 0 and host channel 1.
inline int InternalChannel(int host_channel) { return host_channel <= 0 ? host_channel : host_channel + 1; }
