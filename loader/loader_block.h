// The 112-byte block every message to and from a loader program is. The reply is read
// into the block the request was built in. Little-endian, as every build is.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "avs/avisynth.h"

static_assert(std::endian::native == std::endian::little);

enum LoaderCommand : uint32_t {
    kLoaderOpen = 0,
    kLoaderClose = 1,
    kLoaderFrame = 2,
    kLoaderAudio = 3,
};

// Open replies: anything else means "ask the next loader".
enum : int32_t {
    kLoaderOpened = 1,
    kLoaderCannotOpen = 0,
    kLoaderNotTaken = -1,
};

constexpr size_t kLoaderBlockSize = 112;
constexpr size_t kLoaderPathBytes = 108;  // with its zero byte

struct LoaderOpenRequest {
    uint32_t command;
    char path[kLoaderPathBytes];
};
struct LoaderOpenReply {
    int32_t status;
    int32_t remote_id;
    VideoInfo vi;
    uint8_t unused[56];
};
struct LoaderCloseRequest {
    uint32_t command;
    int32_t remote_id;
    uint8_t unused[104];
};
struct LoaderFrameRequest {
    uint32_t command;
    int32_t remote_id;
    int32_t frame;
    uint8_t unused[100];
};
struct LoaderAudioRequest {
    uint32_t command;
    int32_t remote_id;
    int64_t start;
    int64_t count;
    uint8_t unused[88];
};
struct LoaderReply {
    int32_t status;
    uint8_t unused[108];
};

union LoaderBlock {
    uint8_t bytes[kLoaderBlockSize];
    LoaderOpenRequest open;
    LoaderOpenReply open_reply;
    LoaderCloseRequest close;
    LoaderFrameRequest frame;
    LoaderAudioRequest audio;
    LoaderReply reply;
};

static_assert(sizeof(VideoInfo) == 48);
static_assert(sizeof(LoaderOpenRequest) == 112 && offsetof(LoaderOpenRequest, path) == 4);
static_assert(sizeof(LoaderOpenReply) == 112 && offsetof(LoaderOpenReply, remote_id) == 4 &&
              offsetof(LoaderOpenReply, vi) == 8);
static_assert(offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, width) == 8 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, fps_numerator) == 16 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, num_frames) == 24 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, pixel_type) == 28 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, sample_type) == 36 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, num_audio_samples) == 40 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, nchannels) == 48 &&
              offsetof(LoaderOpenReply, vi) + offsetof(VideoInfo, image_type) == 52);
static_assert(sizeof(LoaderCloseRequest) == 112 && offsetof(LoaderCloseRequest, remote_id) == 4);
static_assert(sizeof(LoaderFrameRequest) == 112 && offsetof(LoaderFrameRequest, remote_id) == 4 &&
              offsetof(LoaderFrameRequest, frame) == 8);
static_assert(sizeof(LoaderAudioRequest) == 112 && offsetof(LoaderAudioRequest, remote_id) == 4 &&
              offsetof(LoaderAudioRequest, start) == 8 && offsetof(LoaderAudioRequest, count) == 16);
static_assert(sizeof(LoaderReply) == 112 && sizeof(LoaderBlock) == 112);

// The shared frame area both sides map.
constexpr size_t kLoaderAreaSize = 0xC00000;
// The name of the product's area and the start of its loaders' pipe names.
constexpr const char* kLoaderChannelName = "{AED179E2-57E3-45b9-B9A7-9A223A5B28D8}";
