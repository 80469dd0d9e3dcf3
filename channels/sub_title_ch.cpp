#include "channels/sub_title_ch.h"

#include <algorithm>
#include <cstring>

#include "channels/globals.h"
#include "channels/main_ch_mgr.h"

PVideoFrame* AVS_STDCALL CSubTitleCh::GetFrame(PVideoFrame* result, int, IScriptEnvironment* env) {
    return avs::Entry([&] {
        PVideoFrame frame = env->NewVideoFrame(vi, -4);
        // Without a main manager (none yet, or already released) there is nothing to copy.
        const uint8_t* canvas = g_pMainChMgr ? g_pMainChMgr->CanvasInProgress() : nullptr;
        if (canvas) {
            // A chain built at another size than the main clip gets only what the canvas holds.
            const int bytes = std::min(frame->GetPitch() * frame->GetHeight(), g_pMainChMgr->CanvasInProgressSize());
            std::memcpy(frame->GetWritePtr(), canvas, static_cast<size_t>(bytes));
        }
        return ReturnInto(result, std::move(frame));
    });
}
