// The head of a subtitle chain: its frames are copies of the main manager's canvas in
// progress, so a subtitle renderer works over the picture composed so far.
#pragma once

#include "avs/avisynth.h"

class CSubTitleCh : public GenericVideoFilter {
public:
    CSubTitleCh(PClip child, int channel) : GenericVideoFilter(std::move(child)), channel_(channel) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    using IClip::GetFrame;
    int Channel() const { return channel_; }

private:
    int channel_;  // the subtitle item's channel; it does not change the picture
};
