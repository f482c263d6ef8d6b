// The screen on an SDL renderer: sprites, 3D sprites, the quad batch, 2D
// lines, flip and readback. Every frame is drawn into one 800 x 600 target
// texture; a windowed screen copies it into the window at the flip, which
// also lets a repaint show the last frame again.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

#include "field_shader.h"
#include "frame_pacer.h"
#include "png_codec.h"
#include "sdl_internal.h"
#include "sprite3d_geometry.h"
#include "sdl_renderer_screen.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
// The GL driver's libraries are unloaded when SDL closes, and the leak
// checker then cannot tell whose allocations it finds at exit. Pinning them
// keeps their names in its reports, so its suppressions can match them.
int PinLoadedLibrary(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && info->dlpi_name[0])
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}
void PinGraphicsLibraries() { dl_iterate_phdr(PinLoadedLibrary, nullptr); }
#else
void PinGraphicsLibraries() {}
#endif

struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const noexcept { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* texture) const noexcept { SDL_DestroyTexture(texture); }
};
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// glReadPixels and the two GL constants it needs, without GL headers.
using GlReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
constexpr unsigned kGlBgra = 0x80E1;
constexpr unsigned kGlUint8888Rev = 0x8367;

// Handles a caller may ask for; beyond this a request names nothing.
constexpr std::int32_t kMaxRequestedHandle = 65535;
constexpr std::size_t kInitialQuads = 1024;

struct SpriteSlot {
    TexturePtr texture;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t flags = 0;
    SDL_ScaleMode scaleMode = SDL_ScaleModeNearest;
};

struct Sprite3DSlot {
    bool used = false;
    std::size_t sprite = 0;  // index into the sprite slots
    std::int32_t textureWidth = 0;
    std::int32_t textureHeight = 0;
    float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    std::int32_t width = 0;
    std::int32_t height = 0;
    float degrees = 0.0f;
    float cosine = 1.0f;
    float sine = 0.0f;
    bool upright = true;
    bool uvInTexture = true;  // every u, v within 0..1
};

void TurnOf(float degrees, float* cosine, float* sine, bool* upright) {
    const sprite3d_geometry::Turn turn = sprite3d_geometry::TurnOf(degrees);
    *cosine = turn.cosine, *sine = turn.sine, *upright = turn.upright;
}

class SdlScreen final : public Screen {
public:
    SdlScreen(SDL_Window* window, SdlWindowPtr ownedWindow, std::shared_ptr<Screen*> repaintLink,
              bool windowed)
        : window_(window),
          ownedWindow_(std::move(ownedWindow)),
          repaintLink_(std::move(repaintLink)),
          windowed_(windowed) {}
    ~SdlScreen() override {
        if (repaintLink_ && *repaintLink_ == this) *repaintLink_ = nullptr;
        // Textures go before the renderer that made them.
        sprites3D_.clear();
        sprites_.clear();
        backBuffer_.reset();
        cacheReset_.reset();
        if (external_) (void)renderer_.release();  // the application's to destroy
        renderer_.reset();
    }

    bool Open(PlatformStatus* status);
    bool Prepare(PlatformStatus* status);  // what every kind of screen sets up on its renderer
    // Draws into a renderer the application owns, on whatever target it has set.
    bool OpenOn(SDL_Renderer* renderer, PlatformStatus* status);

    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size,
                              std::int32_t flags) override;
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override;
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width,
                             std::int32_t* height) override;
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override;
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override;
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override;
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                         std::int32_t transparency) override;
    // SDL's renderer runs no shader of ours: a field atlas draws as plain alpha.
    void FieldSprite3D(SpriteHandle, std::int32_t, float) override { NoteFieldFontsDrawnPlain(rendererName_); }

    void SetSprite3DQuality(std::int32_t quality) noexcept override { quality_ = quality; }
    void EnablePngDecoder() noexcept override { pngEnabled_ = true; }
    void Clear(std::uint32_t colour) noexcept override;
    void BeginSprite3D() noexcept override;
    void EndSprite3D() noexcept override;
    bool Begin2D() noexcept override;
    void SetDrawingMode(std::int32_t mode) noexcept override { drawingMode_ = mode; }
    void DrawLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  std::uint32_t colour) noexcept override;
    void End2D() noexcept override { in2D_ = false; }
    void Flip() noexcept override;
    void Repaint() noexcept override;
    bool ReadPixels(std::span<std::uint32_t> out) noexcept override;
    using Screen::ReadPixels;
    const DrawStats& Stats() const noexcept override { return stats_; }
    const char* RendererName() const noexcept override { return rendererName_; }
    bool SelfPaced() const noexcept override { return pacer_.Active(); }
    double RefreshRate() const noexcept override { return pacer_.RefreshHz(); }

private:
    Sprite3DSlot* Find3D(SpriteHandle handle) noexcept {
        if (handle <= 0 || static_cast<std::size_t>(handle) > sprites3D_.size()) return nullptr;
        Sprite3DSlot& slot = sprites3D_[static_cast<std::size_t>(handle) - 1];
        return slot.used ? &slot : nullptr;
    }
    void SubmitRun() noexcept;
    void ApplyScaleMode(SpriteSlot& sprite, SDL_ScaleMode mode) noexcept;
    bool GrowQuads() noexcept;
    void ShowBackBuffer() noexcept;
    void PresentPaced() noexcept;

    SDL_Window* window_;
    SdlWindowPtr ownedWindow_;
    std::shared_ptr<Screen*> repaintLink_;
    bool windowed_;
    bool external_ = false;  // the renderer and its target belong to the application
    RendererPtr renderer_;
    TexturePtr backBuffer_;
    TexturePtr cacheReset_;
    const char* rendererName_ = "";
    void (*glFinish_)() = nullptr;  // the GL renderers' current context
    GlReadPixels glReadPixels_ = nullptr;
    std::int32_t maxTextureWidth_ = 0;
    std::int32_t maxTextureHeight_ = 0;

    std::vector<SpriteSlot> sprites_;  // handle h lives at h - 1
    std::vector<Sprite3DSlot> sprites3D_;

    // The run of quads not yet handed to SDL: all of one sprite's texture.
    std::vector<SDL_Vertex> vertices_;
    std::vector<int> indices_;
    std::size_t quadCapacity_ = 0;
    std::size_t runQuads_ = 0;
    std::size_t runSprite_ = 0;

    std::vector<SDL_Point> linePoints_;
    std::int32_t quality_ = 0;
    std::int32_t drawingMode_ = 0;
    bool pngEnabled_ = false;
    bool inBatch_ = false;
    bool in2D_ = false;
    DrawStats stats_;
    FramePacer pacer_;
};

bool SdlScreen::Open(PlatformStatus* status) {
    auto fail = [&](PlatformError error) {
        status->error = error;
        status->detail = SDL_GetError();
        return false;
    };
    // Prefer the OpenGL renderer: it is what both the window and the
    // offscreen surface have on Mesa, so their pixels agree. Naming a driver
    // turns SDL's batching off unless the hint asks for it again.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    int glIndex = -1;
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, "opengl") == 0)
            glIndex = i;
    }
    Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
    if (windowed_) flags |= SDL_RENDERER_PRESENTVSYNC;
    if (glIndex >= 0) renderer_.reset(SDL_CreateRenderer(window_, glIndex, flags));
    // Any other accelerated renderer will do; SDL's software renderer will
    // not: it maps textured geometry off by a texel and samples nearest only.
    if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_, -1, flags));
    if (!renderer_) return fail(PlatformError::NoRenderer);
    return Prepare(status);
}

bool SdlScreen::OpenOn(SDL_Renderer* renderer, PlatformStatus* status) {
    if (renderer == nullptr) {
        status->error = PlatformError::NoRenderer;
        status->detail = "no renderer given";
        return false;
    }
    external_ = true;
    renderer_.reset(renderer);
    return Prepare(status);
}

bool SdlScreen::Prepare(PlatformStatus* status) {
    auto fail = [&](PlatformError error) {
        status->error = error;
        status->detail = SDL_GetError();
        return false;
    };
    PinGraphicsLibraries();
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer_.get(), &info);
    rendererName_ = info.name;
    if (std::strncmp(rendererName_, "opengl", 6) == 0)
        glFinish_ = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFinish"));
    // Desktop GL reads BGRA directly; GLES may not, so it keeps SDL's path.
    // An application's target may be the window, stored bottom row first.
    if (!external_ && std::strcmp(rendererName_, "opengl") == 0)
        glReadPixels_ = reinterpret_cast<GlReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
    maxTextureWidth_ = info.max_texture_width > 0 ? info.max_texture_width : kMaxImageSide;
    maxTextureHeight_ = info.max_texture_height > 0 ? info.max_texture_height : kMaxImageSide;

    cacheReset_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STATIC, 1, 1));
    if (!cacheReset_) return fail(PlatformError::TargetTexture);
    if (!external_) {
        backBuffer_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_TARGET, kScreenWidth, kScreenHeight));
        if (!backBuffer_ || SDL_SetRenderTarget(renderer_.get(), backBuffer_.get()) != 0)
            return fail(PlatformError::TargetTexture);
    }
    // The back buffer is copied, not blended, into the window; clears and
    // lines replace pixels too.
    if (backBuffer_) SDL_SetTextureBlendMode(backBuffer_.get(), SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawBlendMode(renderer_.get(), SDL_BLENDMODE_NONE);

    try {
        quadCapacity_ = 0;
        if (!GrowQuads()) return fail(PlatformError::TargetTexture);
        linePoints_.reserve(static_cast<std::size_t>(std::max(kScreenWidth, kScreenHeight)));
    } catch (const std::bad_alloc&) {
        return fail(PlatformError::TargetTexture);
    }

    if (windowed_) {
        // A GL swap interval of 0 means presents will not wait for the
        // retrace (Xvfb reads 0); SDL would then sleep whole milliseconds
        // (62.5 frames/s), so switch that off and pace exactly ourselves.
        const bool gl = std::strncmp(rendererName_, "opengl", 6) == 0;
        const bool retrace = gl && SDL_GL_GetSwapInterval() != 0;  // -1 is adaptive
        if (!retrace) SDL_RenderSetVSync(renderer_.get(), 0);
        SDL_DisplayMode mode{};
        double hz = 0.0;
        if (SDL_GetWindowDisplayMode(window_, &mode) == 0) hz = mode.refresh_rate;
        if (hz <= 0.0 && SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window_), &mode) == 0)
            hz = mode.refresh_rate;
        pacer_.Configure(hz, !retrace);
    }
    if (!external_) Clear(0xFFFFFF);  // an application's target keeps what it holds
    stats_ = DrawStats{};
    if (repaintLink_) *repaintLink_ = this;
    return true;
}

SpriteHandle SdlScreen::CreateSprite(std::int32_t request, const void* data, std::size_t size,
                                     std::int32_t flags) {
    if (!pngEnabled_) return 0;
    if ((flags & SpriteFlagAlpha) && !(flags & SpriteFlag3D)) return 0;
    if (request != AutoHandle && (request <= 0 || request > kMaxRequestedHandle)) return 0;
    if (request != AutoHandle && static_cast<std::size_t>(request) <= sprites_.size() &&
        sprites_[static_cast<std::size_t>(request) - 1].texture)
        return 0;  // never replace a texture that a 3D sprite may still show

    try {
        DecodedImage image;
        if (DecodePng(data, size, image) != PngStatus::Ok) return 0;
        if (image.width > maxTextureWidth_ || image.height > maxTextureHeight_) return 0;
        // Without flag 8 (or with no alpha in the image) the texture is opaque.
        if (!(image.hasAlpha && (flags & SpriteFlagAlpha)))
            for (std::uint32_t& pixel : image.pixels) pixel |= 0xFF000000u;

        TexturePtr texture(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_STATIC, image.width,
                                             image.height));
        if (!texture ||
            SDL_UpdateTexture(texture.get(), nullptr, image.pixels.data(), image.width * 4) != 0)
            return 0;
        // Source alpha over inverse source alpha; the batch picks the filter.
        SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);

        // The lowest free handle, or exactly the one asked for.
        std::size_t index = 0;
        if (request == AutoHandle) {
            while (index < sprites_.size() && sprites_[index].texture) ++index;
            if (index >= static_cast<std::size_t>(kMaxRequestedHandle)) return 0;
        } else {
            index = static_cast<std::size_t>(request) - 1;
        }
        if (index >= sprites_.size()) sprites_.resize(index + 1);
        SpriteSlot& slot = sprites_[index];
        slot.texture = std::move(texture);
        slot.width = image.width;
        slot.height = image.height;
        slot.flags = flags;
        slot.scaleMode = SDL_ScaleModeNearest;
        return static_cast<SpriteHandle>(index + 1);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

SpriteHandle SdlScreen::CreateSprite3D(std::int32_t request, SpriteHandle sprite) {
    if (sprite <= 0 || static_cast<std::size_t>(sprite) > sprites_.size()) return 0;
    const std::size_t spriteIndex = static_cast<std::size_t>(sprite) - 1;
    const SpriteSlot& source = sprites_[spriteIndex];
    if (!source.texture || !(source.flags & SpriteFlag3D)) return 0;
    if (request != AutoHandle && (request <= 0 || request > kMaxRequestedHandle)) return 0;

    std::size_t index = 0;
    if (request == AutoHandle) {
        while (index < sprites3D_.size() && sprites3D_[index].used) ++index;
        if (index >= static_cast<std::size_t>(kMaxRequestedHandle)) return 0;
    } else {
        index = static_cast<std::size_t>(request) - 1;
        if (index < sprites3D_.size() && sprites3D_[index].used) return 0;
    }
    try {
        if (index >= sprites3D_.size()) sprites3D_.resize(index + 1);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    // Whole texture, white corners, display size = texture size, no turn.
    Sprite3DSlot& slot = sprites3D_[index];
    slot = Sprite3DSlot{};
    slot.used = true;
    slot.sprite = spriteIndex;
    slot.textureWidth = source.width;
    slot.textureHeight = source.height;
    slot.width = source.width;
    slot.height = source.height;
    return static_cast<SpriteHandle>(index + 1);
}

bool SdlScreen::Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width,
                                    std::int32_t* height) {
    const Sprite3DSlot* slot = Find3D(sprite3D);
    if (!slot) return false;
    if (width) *width = slot->textureWidth;
    if (height) *height = slot->textureHeight;
    return true;
}

void SdlScreen::SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) {
    Sprite3DSlot* slot = Find3D(sprite3D);
    if (!slot || !uv) return;
    std::memcpy(slot->uv, uv, sizeof slot->uv);
    slot->uvInTexture = std::all_of(uv, uv + 8, [](float c) { return c >= 0.0f && c <= 1.0f; });
}

void SdlScreen::ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) {
    if (Sprite3DSlot* slot = Find3D(sprite3D)) {
        slot->width = width;
        slot->height = height;
    }
}

void SdlScreen::RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) {
    Sprite3DSlot* slot = Find3D(sprite3D);
    if (!slot) return;
    if (mode == 0) {
        // A turned text sets the same angle for glyph after glyph: the turn
        // in force already holds its cosine and sine.
        if (std::memcmp(&slot->degrees, &degrees, sizeof degrees) == 0) return;
        slot->degrees = degrees;
    } else if (mode == 1)
        slot->degrees += degrees;  // relative turn; other modes mean nothing
    else
        return;
    TurnOf(slot->degrees, &slot->cosine, &slot->sine, &slot->upright);
}

void SdlScreen::DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                                std::int32_t transparency) {
    const Sprite3DSlot* slot = Find3D(sprite3D);
    if (!slot) return;
    const std::int32_t width = slot->width;
    const std::int32_t height = slot->height;
    if (!sprite3d_geometry::IsVisible(width, height)) return;

    // A change of texture closes the run; draw order is never changed.
    // SDL 2.26 refuses a whole SDL_RenderGeometry call when any texture
    // coordinate leaves 0..1, so a quad reaching outside its texture goes in
    // a call of its own: it alone is lost, not the run around it.
    const bool alone = !slot->uvInTexture;
    if (runQuads_ != 0 && (runSprite_ != slot->sprite || alone)) SubmitRun();
    if (runQuads_ == quadCapacity_ && !GrowQuads()) SubmitRun();
    runSprite_ = slot->sprite;

    // The vertex alpha multiplies the texels' alpha: transparency / 255.
    const auto alpha = static_cast<Uint8>(std::clamp(transparency, 0, 255));
    SDL_Vertex* v = vertices_.data() + runQuads_ * 4;
    float cornerX[4];
    float cornerY[4];
    sprite3d_geometry::Corners(x, y, width, height, {slot->cosine, slot->sine, slot->upright}, cornerX, cornerY);
    for (int i = 0; i < 4; ++i) v[i].position = {cornerX[i], cornerY[i]};
    for (int i = 0; i < 4; ++i) {
        v[i].color = {255, 255, 255, alpha};
        v[i].tex_coord = {slot->uv[2 * i], slot->uv[2 * i + 1]};
    }
    ++runQuads_;
    if (alone) SubmitRun();
}

// Doubles the vertex and index buffers: allocation happens only while a
// frame of a size never seen before warms them up.
bool SdlScreen::GrowQuads() noexcept {
    const std::size_t capacity = quadCapacity_ == 0 ? kInitialQuads : quadCapacity_ * 2;
    // SDL counts vertices and indices in int.
    if (capacity * 6 > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
    try {
        vertices_.resize(capacity * 4);
        indices_.resize(capacity * 6);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t q = quadCapacity_; q < capacity; ++q) {
        const int base = static_cast<int>(q * 4);
        int* index = indices_.data() + q * 6;
        // Corners are top-left, top-right, bottom-left, bottom-right.
        index[0] = base, index[1] = base + 1, index[2] = base + 2;
        index[3] = base + 1, index[4] = base + 3, index[5] = base + 2;
    }
    quadCapacity_ = capacity;
    return true;
}

void SdlScreen::ApplyScaleMode(SpriteSlot& sprite, SDL_ScaleMode mode) noexcept {
    // SDL 2.26 sets the filter at once, not in its command queue, so the
    // queue must run first. Setting it also rebinds the texture behind the
    // GL renderer's cached binding; updating any texture clears that cache.
    SDL_RenderFlush(renderer_.get());
    SDL_SetTextureScaleMode(sprite.texture.get(), mode);
    const Uint32 pixel = 0;
    SDL_UpdateTexture(cacheReset_.get(), nullptr, &pixel, 4);
    sprite.scaleMode = mode;
}

// Hands the collected run to SDL in one call, sampled as the batch wants
// (nearest outside a batch).
void SdlScreen::SubmitRun() noexcept {
    if (runQuads_ == 0) return;
    SpriteSlot& sprite = sprites_[runSprite_];
    const SDL_ScaleMode wanted =
        (inBatch_ && quality_ >= 1) ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
    if (sprite.scaleMode != wanted) ApplyScaleMode(sprite, wanted);
    SDL_RenderGeometry(renderer_.get(), sprite.texture.get(), vertices_.data(),
                       static_cast<int>(runQuads_ * 4), indices_.data(),
                       static_cast<int>(runQuads_ * 6));
    ++stats_.geometryCalls;
    ++stats_.frameGeometryCalls;
    stats_.quads += runQuads_;
    stats_.frameQuads += runQuads_;
    runQuads_ = 0;
}

void SdlScreen::Clear(std::uint32_t colour) noexcept {
    SubmitRun();
    SDL_SetRenderDrawColor(renderer_.get(), static_cast<Uint8>(colour & 0xFF),
                           static_cast<Uint8>((colour >> 8) & 0xFF),
                           static_cast<Uint8>((colour >> 16) & 0xFF), 255);
    SDL_RenderClear(renderer_.get());
    // A frame starts with its clear.
    stats_.frameGeometryCalls = 0;
    stats_.frameQuads = 0;
}

void SdlScreen::BeginSprite3D() noexcept {
    SubmitRun();  // quads shown before the batch keep their own sampling
    inBatch_ = true;
}

void SdlScreen::EndSprite3D() noexcept {
    SubmitRun();
    inBatch_ = false;
}

bool SdlScreen::Begin2D() noexcept {
    if (inBatch_) EndSprite3D();
    in2D_ = true;
    return backBuffer_ != nullptr || external_;
}

void SdlScreen::DrawLine(std::int32_t x, std::int32_t y, std::int32_t width,
                         std::int32_t height, std::uint32_t colour) noexcept {
    SubmitRun();
    SDL_Renderer* r = renderer_.get();
    SDL_SetRenderDrawColor(r, static_cast<Uint8>(colour & 0xFF),
                           static_cast<Uint8>((colour >> 8) & 0xFF),
                           static_cast<Uint8>((colour >> 16) & 0xFF), 255);
    const std::int64_t x0 = x, y0 = y;
    const std::int64_t x1 = x0 + width - 1, y1 = y0 + height - 1;
    if (x0 == x1 || y0 == y1) {
        // Straight along an axis: a filled rectangle, clipped to the screen
        // first so that far-off coordinates cannot overflow.
        const std::int64_t left = std::max<std::int64_t>(std::min(x0, x1), -1);
        const std::int64_t right = std::min<std::int64_t>(std::max(x0, x1), kScreenWidth);
        const std::int64_t top = std::max<std::int64_t>(std::min(y0, y1), -1);
        const std::int64_t bottom = std::min<std::int64_t>(std::max(y0, y1), kScreenHeight);
        if (left > right || top > bottom) return;
        const SDL_Rect rect{static_cast<int>(left), static_cast<int>(top),
                            static_cast<int>(right - left + 1), static_cast<int>(bottom - top + 1)};
        SDL_RenderFillRect(r, &rect);
        return;
    }
    // A slanted line: one pixel per step along its longer axis, the other
    // coordinate rounded, walking only the part that can be on screen.
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    const std::int64_t a0 = steep ? y0 : x0, a1 = steep ? y1 : x1;
    const std::int64_t b0 = steep ? x0 : y0, b1 = steep ? x1 : y1;
    const std::int64_t extent = steep ? kScreenHeight : kScreenWidth;
    const std::int64_t da = a1 - a0, db = b1 - b0;
    const std::int64_t step = da > 0 ? 1 : -1;
    const std::int64_t from = std::clamp<std::int64_t>(a0, -1, extent);
    const std::int64_t to = std::clamp<std::int64_t>(a1, -1, extent);
    linePoints_.clear();
    for (std::int64_t a = from;; a += step) {
        if (a >= 0 && a < extent) {
            const std::int64_t b =
                b0 + std::llround(static_cast<double>(a - a0) * static_cast<double>(db) /
                                  static_cast<double>(da));
            const std::int64_t px = steep ? b : a, py = steep ? a : b;
            if (px >= 0 && px < kScreenWidth && py >= 0 && py < kScreenHeight &&
                linePoints_.size() < linePoints_.capacity())
                linePoints_.push_back({static_cast<int>(px), static_cast<int>(py)});
        }
        if (a == to) break;
    }
    if (!linePoints_.empty())
        SDL_RenderDrawPoints(r, linePoints_.data(), static_cast<int>(linePoints_.size()));
}

// The window gets a copy; the back buffer keeps the frame for a repaint.
void SdlScreen::ShowBackBuffer() noexcept {
    SDL_Renderer* r = renderer_.get();
    SDL_SetRenderTarget(r, nullptr);
    SDL_RenderCopy(r, backBuffer_.get(), nullptr, nullptr);
    PresentPaced();
    SDL_SetRenderTarget(r, backBuffer_.get());
}

void SdlScreen::PresentPaced() noexcept {
    using Clock = std::chrono::steady_clock;
    const auto nanos = [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   Clock::now().time_since_epoch())
            .count();
    };
    // Sleeping before the present spaces the presents evenly.
    const std::int64_t delay = pacer_.DelayBeforePresent(nanos());
    if (delay > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(delay));
    SDL_RenderPresent(renderer_.get());
    pacer_.ObservePresent(nanos());
}

void SdlScreen::Flip() noexcept {
    SubmitRun();
    inBatch_ = false;
    in2D_ = false;
    ++stats_.frames;
    // Offscreen there is nothing to show, but the frame must be finished:
    // with nothing holding it back, the GL driver keeps queueing frames it
    // has not drawn yet and its memory grows without end.
    if (external_) {
        SDL_RenderPresent(renderer_.get());
    } else if (windowed_) {
        ShowBackBuffer();
    } else {
        SDL_RenderFlush(renderer_.get());
        if (glFinish_) glFinish_();
    }
}

void SdlScreen::Repaint() noexcept {
    if (!windowed_) return;
    SubmitRun();
    ShowBackBuffer();
}

bool SdlScreen::ReadPixels(std::span<std::uint32_t> out) noexcept {
    if (out.size() < static_cast<std::size_t>(kScreenWidth) * kScreenHeight) return false;
    // Quads still collecting belong to the frame being read.
    SubmitRun();
    if (glReadPixels_) {
        // Straight from the back buffer's framebuffer: SDL's own readback
        // takes a frame-sized scratch buffer from the heap every time. A
        // target texture's rows are stored top first, blue-green-red-alpha.
        SDL_RenderFlush(renderer_.get());
        glReadPixels_(0, 0, kScreenWidth, kScreenHeight, kGlBgra, kGlUint8888Rev, out.data());
        return true;
    }
    const SDL_Rect screen{0, 0, kScreenWidth, kScreenHeight};
    return SDL_RenderReadPixels(renderer_.get(), &screen, SDL_PIXELFORMAT_ARGB8888, out.data(),
                                kScreenWidth * 4) == 0;
}

}  // namespace

std::vector<std::uint32_t> Screen::ReadPixels() {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    if (!ReadPixels(std::span<std::uint32_t>(pixels))) pixels.clear();
    return pixels;
}

std::unique_ptr<Screen> CreateSdlScreen(SDL_Window* window, SdlWindowPtr ownedWindow,
                                        std::shared_ptr<Screen*> repaintLink, bool windowed,
                                        PlatformStatus* status) {
    auto screen = std::make_unique<SdlScreen>(window, std::move(ownedWindow),
                                              std::move(repaintLink), windowed);
    if (!screen->Open(status)) return nullptr;
    return screen;
}

std::unique_ptr<Screen> OpenScreenOnRenderer(SDL_Renderer* renderer, PlatformStatus* status) {
    PlatformStatus ignored;
    if (status == nullptr) status = &ignored;
    auto screen = std::make_unique<SdlScreen>(renderer ? SDL_RenderGetWindow(renderer) : nullptr, nullptr, nullptr,
                                              false);
    if (!screen->OpenOn(renderer, status)) return nullptr;
    return screen;
}
