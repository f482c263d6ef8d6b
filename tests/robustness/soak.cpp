// A long run of the demonstration's frame on the offscreen screen, watching
// the resident size:
//   robust_soak <frames> [warm-up-frames max-growth-kb]
// Prints the resident size after the first frame, every tenth of the run and
// at the end. With a limit, exits 1 when the size at the end exceeds the size
// after the warm-up by more. (The renderer's caches fill during the first few
// thousand frames; after that the size must stay flat.)
// Every thousandth frame is read back and must still show the frame.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "frame.h"
#include "startup.h"
#include "platform.h"
#include "sprite_font.h"

namespace {

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

bool ShowsTheFrame(const std::vector<std::uint32_t>& pixels) {
    const auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * kScreenWidth + x] & 0xFFFFFF; };
    return pixels.size() == static_cast<std::size_t>(kScreenWidth) * kScreenHeight && at(5, 5) == 0xFFFFFF &&
           at(60, 100) == 0 && at(640, 100) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::atol(argv[1]) <= 0) {
        std::fprintf(stderr, "usage: robust_soak <frames> [warm-up-frames max-growth-kb]\n");
        return 2;
    }
    const long frames = std::atol(argv[1]);
    const long warmUp = argc > 3 ? std::atol(argv[2]) : (frames / 10 > 0 ? frames / 10 : 1);
    const long maxGrowthKb = argc > 3 ? std::atol(argv[3]) : -1;

    std::string error;
    auto demo = StartDemonstration(StartupOptions{VideoMode::Offscreen}, &error);
    if (!demo) {
        std::fprintf(stderr, "robust_soak: %s\n", error.c_str());
        return 1;
    }
    Screen* screen = demo->screen.get();

    long afterFirst = 0, afterWarmUp = 0;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    float t = 0.0f;
    int failures = 0;
    for (long frame = 1; frame <= frames; ++frame) {
        t += 1.0f;
        RenderFrame(*screen, t);
        screen->Flip();
        // Reading back also waits for the renderer to finish what it queued.
        if (frame % 1000 == 0 || frame == frames) {
            if (!screen->ReadPixels(std::span<std::uint32_t>(pixels)) || !ShowsTheFrame(pixels)) {
                std::fprintf(stderr, "robust_soak: frame %ld does not show the frame\n", frame);
                ++failures;
            }
        }
        if (frame == 1) afterFirst = ResidentKb();
        if (frame == warmUp) afterWarmUp = ResidentKb();
        if (frame == 1 || frame % (frames / 10 > 0 ? frames / 10 : 1) == 0 || frame == frames)
            std::printf("frame %7ld  resident %7ld KB\n", frame, ResidentKb());
    }
    const long atEnd = ResidentKb();
    std::printf("resident after frame 1: %ld KB, after frame %ld: %ld KB, at the end (frame %ld): %ld KB\n",
                afterFirst, warmUp, afterWarmUp, frames, atEnd);
    std::printf("quads drawn: %llu in %llu frames\n", static_cast<unsigned long long>(screen->Stats().quads),
                static_cast<unsigned long long>(screen->Stats().frames));
    demo.reset();
    if (failures != 0) return 1;
    if (maxGrowthKb >= 0 && atEnd - afterWarmUp > maxGrowthKb) {
        std::fprintf(stderr, "robust_soak: grew by %ld KB after the warm-up (limit %ld KB)\n", atEnd - afterWarmUp,
                     maxGrowthKb);
        return 1;
    }
    return 0;
}
