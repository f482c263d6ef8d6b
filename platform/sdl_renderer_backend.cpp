// SDL_Renderer backend: runs go to SDL_RenderGeometry, the 2D pass to
// SDL's rectangles and points.
#include "sdl_renderer_backend.h"

#include <cstring>
#include <new>

namespace {

struct RendererDeleter {
    void operator()(SDL_Renderer* renderer) const noexcept { SDL_DestroyRenderer(renderer); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* texture) const noexcept { SDL_DestroyTexture(texture); }
};
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

static_assert(sizeof(SDL_Vertex) == sizeof(QuadVertex) && offsetof(SDL_Vertex, color) == offsetof(QuadVertex, r) &&
              offsetof(SDL_Vertex, tex_coord) == offsetof(QuadVertex, u));

// glReadPixels and the two GL constants it needs, without GL headers.
using GlReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
constexpr unsigned kGlBgra = 0x80E1;
constexpr unsigned kGlUint8888Rev = 0x8367;

class SdlTexture final : public GpuTexture {
public:
    SdlTexture(TexturePtr made, std::int32_t width, std::int32_t height)
        : GpuTexture(width, height), texture(std::move(made)) {}
    TexturePtr texture;
    SDL_ScaleMode scaleMode = SDL_ScaleModeNearest;
};

class SdlRendererBackend final : public RenderBackend {
public:
    ~SdlRendererBackend() override {
        backBuffer_.reset();
        cacheReset_.reset();
        if (external_) (void)renderer_.release();  // the application's to destroy
    }

    bool Prepare(SDL_Renderer* renderer, bool external, PlatformStatus* status);

    const char* Name() const noexcept override { return name_; }
    std::int32_t MaxTextureSide() const noexcept override { return maxTextureSide_; }
    PixelOrder TextureOrder() const noexcept override { return PixelOrder::Bgra; }
    std::unique_ptr<GpuTexture> CreateTexture(DecodedImage& image, bool opaque) noexcept override;

    void Draw(const QuadBatch& batch) noexcept override;
    bool ReadPixels(std::span<std::uint32_t> out) noexcept override;
    void Present() noexcept override;
    void Finish() noexcept override;
    bool PresentWaitsForRetrace() const noexcept override { return retrace_; }

    RendererPtr renderer_;
    bool vsync_ = false;

private:
    void SetColour(std::uint32_t colour) noexcept {
        SDL_SetRenderDrawColor(renderer_.get(), static_cast<Uint8>(colour & 0xFF),
                               static_cast<Uint8>((colour >> 8) & 0xFF),
                               static_cast<Uint8>((colour >> 16) & 0xFF), 255);
    }
    void ApplyScaleMode(SdlTexture& texture, SDL_ScaleMode mode) noexcept;

    bool external_ = false;
    TexturePtr backBuffer_;
    TexturePtr cacheReset_;
    const char* name_ = "";
    void (*glFinish_)() = nullptr;  // the GL renderers' current context
    GlReadPixels glReadPixels_ = nullptr;
    std::int32_t maxTextureSide_ = kMaxImageSide;
    bool retrace_ = false;
};

bool SdlRendererBackend::Prepare(SDL_Renderer* renderer, bool external, PlatformStatus* status) {
    auto fail = [&](PlatformError error) {
        status->error = error;
        status->detail = SDL_GetError();
        return false;
    };
    renderer_.reset(renderer);
    external_ = external;
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    name_ = info.name;
    const bool gl = std::strncmp(name_, "opengl", 6) == 0;
    if (gl) glFinish_ = reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress("glFinish"));
    // Desktop GL reads BGRA directly; GLES may not, so it keeps SDL's path.
    // An application's target may be the window, stored bottom row first.
    if (!external && std::strcmp(name_, "opengl") == 0)
        glReadPixels_ = reinterpret_cast<GlReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
    maxTextureSide_ = std::min(info.max_texture_width > 0 ? info.max_texture_width : kMaxImageSide,
                               info.max_texture_height > 0 ? info.max_texture_height : kMaxImageSide);

    cacheReset_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1));
    if (!cacheReset_) return fail(PlatformError::TargetTexture);
    if (!external) {
        backBuffer_.reset(SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                            kScreenWidth, kScreenHeight));
        if (!backBuffer_ || SDL_SetRenderTarget(renderer, backBuffer_.get()) != 0)
            return fail(PlatformError::TargetTexture);
        // The back buffer is copied, not blended, into the window.
        SDL_SetTextureBlendMode(backBuffer_.get(), SDL_BLENDMODE_NONE);
    }
    // Clears and lines replace pixels.
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    // A GL swap interval of 0 means presents will not wait for the retrace
    // (Xvfb reads 0); SDL would then sleep whole milliseconds (62.5
    // frames/s), so that is switched off and the window paces exactly.
    retrace_ = vsync_ && gl && SDL_GL_GetSwapInterval() != 0;  // -1 is adaptive
    if (vsync_ && !retrace_) SDL_RenderSetVSync(renderer, 0);
    return true;
}

std::unique_ptr<GpuTexture> SdlRendererBackend::CreateTexture(DecodedImage& image, bool opaque) noexcept {
    if (opaque && image.hasAlpha)
        for (std::uint32_t& pixel : image.pixels) pixel |= 0xFF000000u;
    TexturePtr texture(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                         image.width, image.height));
    if (!texture || SDL_UpdateTexture(texture.get(), nullptr, image.pixels.data(), image.width * 4) != 0)
        return nullptr;
    // Source alpha over inverse source alpha; the batch picks the filter.
    SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
    try {
        return std::make_unique<SdlTexture>(std::move(texture), image.width, image.height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SdlRendererBackend::ApplyScaleMode(SdlTexture& texture, SDL_ScaleMode mode) noexcept {
    // SDL 2.26 sets the filter at once, not in its command queue, so the
    // queue must run first. Setting it also rebinds the texture behind the
    // GL renderer's cached binding; updating any texture clears that cache.
    SDL_RenderFlush(renderer_.get());
    SDL_SetTextureScaleMode(texture.texture.get(), mode);
    const Uint32 pixel = 0;
    SDL_UpdateTexture(cacheReset_.get(), nullptr, &pixel, 4);
    texture.scaleMode = mode;
}

// One SDL_RenderGeometry call per run: six vertices a quad, no indices,
// which SDL's GL renderer expands to the same triangles as indexed corners.
void SdlRendererBackend::Draw(const QuadBatch& batch) noexcept {
    static_assert(sizeof(PixelPoint) == sizeof(SDL_Point));
    SDL_Renderer* r = renderer_.get();
    const auto* vertices = reinterpret_cast<const SDL_Vertex*>(batch.Vertices());
    for (const BatchCommand& command : batch.Commands()) {
        switch (command.step) {
        case BatchStep::Quads: {
            auto& texture = static_cast<SdlTexture&>(*command.texture);
            const SDL_ScaleMode wanted = command.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest;
            if (texture.scaleMode != wanted) ApplyScaleMode(texture, wanted);
            SDL_RenderGeometry(r, texture.texture.get(), vertices + command.first * kVerticesPerQuad,
                               static_cast<int>(command.count * kVerticesPerQuad), nullptr, 0);
            break;
        }
        case BatchStep::Clear:
            SetColour(command.colour);
            SDL_RenderClear(r);
            break;
        case BatchStep::Fill: {
            SetColour(command.colour);
            const SDL_Rect rect{command.rect.x, command.rect.y, command.rect.width, command.rect.height};
            SDL_RenderFillRect(r, &rect);
            break;
        }
        case BatchStep::Points:
            SetColour(command.colour);
            SDL_RenderDrawPoints(r, reinterpret_cast<const SDL_Point*>(batch.Points() + command.first),
                                 static_cast<int>(command.count));
            break;
        }
    }
}

bool SdlRendererBackend::ReadPixels(std::span<std::uint32_t> out) noexcept {
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

void SdlRendererBackend::Present() noexcept {
    SDL_Renderer* r = renderer_.get();
    if (!backBuffer_) {
        SDL_RenderPresent(r);
        return;
    }
    // The window gets a copy; the back buffer keeps the frame for a repaint.
    SDL_SetRenderTarget(r, nullptr);
    SDL_RenderCopy(r, backBuffer_.get(), nullptr, nullptr);
    SDL_RenderPresent(r);
    SDL_SetRenderTarget(r, backBuffer_.get());
}

void SdlRendererBackend::Finish() noexcept {
    SDL_RenderFlush(renderer_.get());
    if (glFinish_) glFinish_();
}

}  // namespace

std::unique_ptr<RenderBackend> CreateSdlRendererBackend(SDL_Window* window, bool vsync, PlatformStatus* status) {
    // Prefer the OpenGL renderer: it is what both the window and the
    // offscreen surface have on Mesa, so their pixels agree. Naming a driver
    // turns SDL's batching off unless the hint asks for it again.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    int glIndex = -1;
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && std::strcmp(info.name, "opengl") == 0) glIndex = i;
    }
    Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
    if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
    SDL_Renderer* renderer = glIndex >= 0 ? SDL_CreateRenderer(window, glIndex, flags) : nullptr;
    // Any other accelerated renderer will do; SDL's software renderer will
    // not: it maps textured geometry off by a texel and samples nearest only.
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, flags);
    if (!renderer) {
        status->error = PlatformError::NoRenderer;
        status->detail = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<SdlRendererBackend> backend;
    try {
        backend = std::make_unique<SdlRendererBackend>();
    } catch (const std::bad_alloc&) {
        SDL_DestroyRenderer(renderer);
        return nullptr;
    }
    backend->vsync_ = vsync;
    if (!backend->Prepare(renderer, false, status)) return nullptr;
    return backend;
}

std::unique_ptr<RenderBackend> CreateSdlRendererBackendOn(SDL_Renderer* renderer, PlatformStatus* status) {
    if (renderer == nullptr) {
        status->error = PlatformError::NoRenderer;
        status->detail = "no renderer given";
        return nullptr;
    }
    std::unique_ptr<SdlRendererBackend> backend;
    try {
        backend = std::make_unique<SdlRendererBackend>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!backend->Prepare(renderer, true, status)) return nullptr;
    return backend;
}
