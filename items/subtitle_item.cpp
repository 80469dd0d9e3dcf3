#include "items/subtitle_item.h"

#include <algorithm>
#include <cstring>

#include "channels/packed_frame.h"

const char* SubtitleRendererFor(const char* path) {
    // The last dot of the whole path, so a dot in a folder name counts too.
    const char* dot = std::strrchr(path, '.');
    const char* ext = dot ? dot + 1 : "";
    for (const char* text : {"srt", "ssr", "ssa", "ass"})
        if (std::strcmp(ext, text) == 0) return "TextSub";
    return "VobSub";
}

PClip BlankSubtitleBase(IScriptEnvironment* env, int width, int height, const char* pixel_type) {
    // Positional, with the arguments left undefined taking the frame server's defaults.
    const AVSValue args[12] = {AVSValue(nullptr, 0), 1080000, width, height, pixel_type, 30,
                               AVSValue(),           AVSValue(), AVSValue(), AVSValue(), 0, AVSValue()};
    return env->Invoke("BlankClip", AVSValue(args, 12)).AsClip();
}

std::unique_ptr<ItemRecord> MakeSubtitleItem(const SubtitleInfo& info, int channel, IScriptEnvironment* env) {
    auto copy = std::make_unique<SubtitleInfo>(info);
    const PClip base = BlankSubtitleBase(env, info.width, info.height, "RGB24");
    const AVSValue head_args[2] = {base, channel};
    const PClip head = env->Invoke("SetSubTitleCh", AVSValue(head_args, 2)).AsClip();
    const AVSValue render_args[2] = {head, copy->file.c_str()};
    copy->clip = env->Invoke(SubtitleRendererFor(copy->file), AVSValue(render_args, 2)).AsClip();
    return MakeItemRecord(kItemSubtitle, info.item_id, std::move(copy));
}

void DrawSubtitleItem(ItemRecord& item, int n, const Canvas& canvas) {
    const SubtitleInfo& info = *static_cast<const SubtitleInfo*>(item.payload);
    if (n < info.first_frame || n > info.last_frame) return;
    const PVideoFrame frame = GetPackedFrame(info.clip, n - info.first_frame + info.clip_start_frame, canvas.env);
    // A chain of another size than the main clip gives no more than its frame holds.
    const int bytes = std::min(canvas.size, frame->GetPitch() * frame->GetHeight());
    if (bytes > 0) std::memcpy(canvas.pixels, frame->GetReadPtr(), static_cast<size_t>(bytes));
}
