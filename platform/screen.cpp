// The screen: the sprite table, the quad batch and the frame's order of
// operations, over one backend and one target. What a 3D sprite does to its
// quad is worked out here, once, for every backend.
#include <algorithm>
#include <new>

#include "field_shader.h"
#include "line_raster.h"
#include "screen_target.h"
#include "sprite_table.h"

namespace {

class BatchScreen final : public Screen {
public:
    BatchScreen(std::unique_ptr<ScreenTarget> target, std::unique_ptr<RenderBackend> backend)
        : target_(std::move(target)), backend_(std::move(backend)) {}
    ~BatchScreen() override {
        // Textures go before the backend that made them.
        table_.Clear();
        backend_.reset();
    }

    bool Open(PlatformStatus* status) noexcept;

    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t flags) override;
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override {
        return table_.AddSprite3D(request, sprite);
    }
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override {
        const Sprite3DSlot* slot = table_.Find3D(sprite3D);
        if (!slot) return false;
        if (width) *width = slot->texture->Width();
        if (height) *height = slot->texture->Height();
        return true;
    }
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override {
        Sprite3DSlot* slot = table_.Find3D(sprite3D);
        if (slot && uv) table_.SetTexCoords(*slot, uv);
    }
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override {
        if (Sprite3DSlot* slot = table_.Find3D(sprite3D)) slot->width = width, slot->height = height;
    }
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override {
        if (Sprite3DSlot* slot = table_.Find3D(sprite3D)) table_.Rotate(*slot, degrees, mode);
    }
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) override;
    bool DisplaySprite3DQuads(SpriteHandle sprite3D, const Sprite3DQuad* quads, std::size_t count,
                              std::int32_t transparency) override;
    void ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) override {
        if (Sprite3DSlot* slot = table_.Find3D(sprite3D)) table_.Tint(*slot, rgb);
    }
    void FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) override {
        Sprite3DSlot* slot = table_.Find3D(sprite3D);
        if (!slot || (kind != 1 && kind != 2) || !(range > 0.0f)) return;
        slot->field.kind = kind;
        slot->field.range = range;
        if (!backend_->DrawsFields()) NoteFieldFontsDrawnPlain(backend_->Name());
    }
    void FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) override {
        if (Sprite3DSlot* slot = table_.Find3D(sprite3D)) slot->field.effects = effects;
    }

    void SetSprite3DQuality(std::int32_t quality) noexcept override { quality_ = quality; }
    void EnablePngDecoder() noexcept override { pngEnabled_ = true; }
    void Clear(std::uint32_t colour) noexcept override {
        batch_.AddClear(colour);
        if (handOver_) Submit();
        // A frame starts with its clear.
        stats_.frameGeometryCalls = 0;
        stats_.frameQuads = 0;
    }
    void BeginSprite3D() noexcept override {
        inBatch_ = true;
        linear_ = quality_ >= 1;  // the quality in force when the batch begins
    }
    void EndSprite3D() noexcept override {
        batch_.CloseRun();
        if (handOver_) Submit();
        inBatch_ = false;
        linear_ = false;  // outside a batch quads sample nearest
    }
    bool Begin2D() noexcept override {
        if (inBatch_) EndSprite3D();
        return true;
    }
    void SetDrawingMode(std::int32_t mode) noexcept override { (void)mode; }  // lines ignore it
    void DrawLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  std::uint32_t colour) noexcept override;
    void End2D() noexcept override {}
    void Flip() noexcept override {
        Submit();
        inBatch_ = false;
        linear_ = false;
        ++stats_.frames;
        target_->Show(*backend_);
    }
    void Repaint() noexcept override {
        Submit();
        target_->Repaint(*backend_);
    }
    bool ReadPixels(std::span<std::uint32_t> out) noexcept override {
        if (out.size() < static_cast<std::size_t>(kScreenWidth) * kScreenHeight) return false;
        Submit();  // quads still collecting belong to the frame being read
        return backend_->ReadPixels(out);
    }
    using Screen::ReadPixels;
    const DrawStats& Stats() const noexcept override { return stats_; }
    const char* RendererName() const noexcept override { return backend_->Name(); }
    bool SelfPaced() const noexcept override { return target_->SelfPaced(); }
    double RefreshRate() const noexcept override { return target_->RefreshRate(); }

private:
    // One quad of the 3D sprite into the batch.
    void AppendQuad(const Sprite3DSlot& slot, const float cornerX[4], const float cornerY[4], const float uv[8],
                    std::uint8_t alpha) noexcept;

    // The frame so far goes to the driver: only when it is shown or read,
    // so drawing itself never waits for (or allocates in) the driver.
    void Submit() noexcept {
        if (batch_.Empty()) return;
        backend_->Draw(batch_);
        batch_.Reset();
    }

    std::unique_ptr<ScreenTarget> target_;
    std::unique_ptr<RenderBackend> backend_;
    SpriteTable table_;
    QuadBatch batch_;
    std::vector<PixelPoint> linePoints_;
    std::int32_t quality_ = 0;
    bool linear_ = false;
    bool inBatch_ = false;
    bool pngEnabled_ = false;
    // Drawing into an application's target: each step reaches its renderer
    // at once, since the application presents it without telling us.
    bool handOver_ = false;
    DrawStats stats_;
};

bool BatchScreen::Open(PlatformStatus* status) noexcept {
    try {
        linePoints_.reserve(static_cast<std::size_t>(std::max(kScreenWidth, kScreenHeight)));
    } catch (const std::bad_alloc&) {
        status->error = PlatformError::TargetTexture;
        status->detail = "out of memory";
        return false;
    }
    handOver_ = !target_->HasBackBuffer();
    target_->Attach(*backend_);
    if (target_->HasBackBuffer()) batch_.AddClear(0xFFFFFF);  // an application's target keeps what it holds
    return true;
}

SpriteHandle BatchScreen::CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t flags) {
    if (!pngEnabled_) return 0;
    if ((flags & SpriteFlagAlpha) && !(flags & SpriteFlag3D)) return 0;
    if (!table_.SpriteRequestFree(request)) return 0;
    DecodedImage image;
    if (DecodePng(data, size, image, backend_->TextureOrder()) != PngStatus::Ok) return 0;
    const std::int32_t side = backend_->MaxTextureSide();
    if (image.width > side || image.height > side) return 0;
    // Without flag 8 the texture is opaque, whatever alpha the image has.
    std::unique_ptr<GpuTexture> texture = backend_->CreateTexture(image, !(flags & SpriteFlagAlpha));
    return table_.AddSprite(request, std::move(texture), flags);
}

void BatchScreen::AppendQuad(const Sprite3DSlot& slot, const float cornerX[4], const float cornerY[4],
                             const float uv[8], std::uint8_t alpha) noexcept {
    bool newRun = false;
    // A field is sampled bilinearly whatever the quality: nearest texels
    // would make its edges steps.
    const bool field = slot.field.kind != 0 && backend_->DrawsFields();
    QuadVertex* v = batch_.Add(slot.texture, linear_ || field, &newRun, field ? &slot.field : nullptr);
    if (!v) return;
    stats_.geometryCalls += newRun;
    stats_.frameGeometryCalls += newRun;
    ++stats_.quads;
    ++stats_.frameQuads;
    // Two triangles: top-left, top-right, bottom-left; top-right,
    // bottom-right, bottom-left.
    static constexpr int kCorner[kVerticesPerQuad] = {0, 1, 2, 1, 3, 2};
    for (std::size_t i = 0; i < kVerticesPerQuad; ++i) {
        const int c = kCorner[i];
        v[i] = QuadVertex{cornerX[c], cornerY[c], slot.tint[0], slot.tint[1], slot.tint[2], alpha,
                          uv[2 * c], uv[2 * c + 1]};
    }
}

// The vertex colour multiplies the texels: the tint, and as alpha
// transparency / 255.
std::uint8_t AlphaOf(std::int32_t transparency) noexcept {
    return static_cast<std::uint8_t>(std::clamp(transparency, 0, 255));
}

void BatchScreen::DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) {
    const Sprite3DSlot* slot = table_.Find3D(sprite3D);
    if (!slot || !sprite3d_geometry::IsVisible(slot->width, slot->height)) return;
    // A rectangle reaching outside the texture shows nothing of it on any
    // backend: SDL's renderer refuses such a quad (and would take the rest of
    // its run along), so ours does not draw clamped edge texels either.
    if (!slot->uvInTexture) return;
    float cornerX[4];
    float cornerY[4];
    sprite3d_geometry::Corners(x, y, slot->width, slot->height, slot->turn, cornerX, cornerY);
    AppendQuad(*slot, cornerX, cornerY, slot->uv, AlphaOf(transparency));
}

bool BatchScreen::DisplaySprite3DQuads(SpriteHandle sprite3D, const Sprite3DQuad* quads, std::size_t count,
                                       std::int32_t transparency) {
    const Sprite3DSlot* slot = table_.Find3D(sprite3D);
    if (!slot) return false;
    if (quads == nullptr) return true;
    const std::uint8_t alpha = AlphaOf(transparency);
    for (std::size_t q = 0; q < count; ++q) {
        const Sprite3DQuad& quad = quads[q];
        // As DisplaySprite3D: texture coordinates outside the texture show nothing.
        bool inside = true;
        for (int i = 0; i < 8; ++i) inside &= (quad.uv[i] >= 0.0f) & (quad.uv[i] <= 1.0f);
        if (inside) AppendQuad(*slot, quad.x, quad.y, quad.uv, alpha);
    }
    return true;
}

void BatchScreen::DrawLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           std::uint32_t colour) noexcept {
    const RasterLine line = RasteriseLine(x, y, width, height, linePoints_);
    if (line.isRect) batch_.AddFill(line.rect, colour);
    else if (!linePoints_.empty()) batch_.AddPoints(linePoints_, colour);
    if (handOver_) Submit();
}

}  // namespace

std::vector<std::uint32_t> Screen::ReadPixels() {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    if (!ReadPixels(std::span<std::uint32_t>(pixels))) pixels.clear();
    return pixels;
}

std::unique_ptr<Screen> CreateScreen(std::unique_ptr<ScreenTarget> target, std::unique_ptr<RenderBackend> backend,
                                     PlatformStatus* status) {
    if (!target || !backend) return nullptr;
    std::unique_ptr<BatchScreen> screen;
    try {
        screen = std::make_unique<BatchScreen>(std::move(target), std::move(backend));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!screen->Open(status)) return nullptr;
    return screen;
}
