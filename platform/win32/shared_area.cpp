#include "platform/shared_area.h"

#include <windows.h>

#include <cstring>

namespace platform {

namespace {

// The whole mapping as one view; the mapping is closed again when it cannot be mapped.
uint8_t* MapWhole(HANDLE mapping, size_t size) {
    if (!mapping) return nullptr;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!view) CloseHandle(mapping);
    return static_cast<uint8_t*>(view);
}

}  // namespace

std::unique_ptr<SharedArea> SharedArea::Create(const std::string& name, size_t size) {
    const uint64_t bytes = size;
    const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                              static_cast<DWORD>(bytes >> 32), static_cast<DWORD>(bytes), name.c_str());
    uint8_t* const data = MapWhole(mapping, size);
    if (!data) return nullptr;
    std::unique_ptr<SharedArea> area(new SharedArea);
    area->data_ = data;
    area->size_ = size;
    area->handle_ = reinterpret_cast<intptr_t>(mapping);
    std::memset(data, 0, size);
    return area;
}

std::unique_ptr<SharedArea> SharedArea::Open(const std::string& name, size_t size) {
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    uint8_t* const data = MapWhole(mapping, size);
    if (!data) return nullptr;
    std::unique_ptr<SharedArea> area(new SharedArea);
    area->data_ = data;
    area->size_ = size;
    area->handle_ = reinterpret_cast<intptr_t>(mapping);
    return area;
}

std::string ProcessChannelName(const std::string& name) { return name; }

bool SharedArea::Publish() { return true; }
void SharedArea::Unpublish() {}

SharedArea::~SharedArea() {
    if (data_) UnmapViewOfFile(data_);
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform
