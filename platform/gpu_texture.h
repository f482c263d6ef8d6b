// gpu_texture.h - a sprite's texture as a backend made it. The sprite table
// owns it; only the backend that made it looks inside.
#pragma once

#include <cstdint>

class GpuTexture {
public:
    GpuTexture(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}
    virtual ~GpuTexture() = default;
    GpuTexture(const GpuTexture&) = delete;
    GpuTexture& operator=(const GpuTexture&) = delete;

    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }

private:
    std::int32_t width_;
    std::int32_t height_;
};
