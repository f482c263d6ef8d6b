#include "quad_batch.h"

#include <limits>
#include <new>

namespace {
constexpr std::size_t kInitialQuads = 1024;
}

bool QuadBatch::Grow() noexcept {
    const std::size_t capacity = capacity_ == 0 ? kInitialQuads : capacity_ * 2;
    // Backends count vertices in int.
    if (capacity * kVerticesPerQuad > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
    try {
        vertices_.resize(capacity * kVerticesPerQuad);
        if (commands_.capacity() < 64) commands_.reserve(64);
    } catch (const std::bad_alloc&) {
        return false;
    }
    capacity_ = capacity;
    return true;
}

bool QuadBatch::Push(const BatchCommand& command) noexcept {
    try {
        commands_.push_back(command);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

QuadVertex* QuadBatch::Add(GpuTexture* texture, bool linear, bool* newRun, const FieldState* field) noexcept {
    if (quads_ == capacity_ && !Grow()) return nullptr;
    BatchCommand* run = commands_.empty() ? nullptr : &commands_.back();
    *newRun = run == nullptr || closed_ || run->step != BatchStep::Quads || run->texture != texture ||
              run->linear != linear || (run->field == 0) != (field == nullptr) ||
              (field != nullptr && !(Field(*run) == *field));
    closed_ = false;
    if (*newRun) {
        std::size_t fieldIndex = 0;
        if (field != nullptr) {
            try {
                fields_.push_back(*field);
            } catch (const std::bad_alloc&) {
                return nullptr;
            }
            fieldIndex = fields_.size();
        }
        if (!Push(BatchCommand{BatchStep::Quads, texture, linear, quads_, 0, 0, {}, fieldIndex})) {
            if (fieldIndex != 0) fields_.pop_back();
            return nullptr;
        }
        run = &commands_.back();
    }
    ++run->count;
    return vertices_.data() + quads_++ * kVerticesPerQuad;
}

void QuadBatch::AddClear(std::uint32_t colour) noexcept {
    // Whatever came before is covered.
    if (!commands_.empty() && commands_.back().step == BatchStep::Clear) commands_.pop_back();
    Push(BatchCommand{BatchStep::Clear, nullptr, false, 0, 0, colour, {}, 0});
}

void QuadBatch::AddFill(const PixelRect& rect, std::uint32_t colour) noexcept {
    Push(BatchCommand{BatchStep::Fill, nullptr, false, 0, 0, colour, rect, 0});
}

void QuadBatch::AddPoints(const std::vector<PixelPoint>& points, std::uint32_t colour) noexcept {
    const std::size_t first = points_.size();
    try {
        points_.insert(points_.end(), points.begin(), points.end());
    } catch (const std::bad_alloc&) {
        return;
    }
    if (!Push(BatchCommand{BatchStep::Points, nullptr, false, first, points.size(), colour, {}, 0}))
        points_.resize(first);
}
