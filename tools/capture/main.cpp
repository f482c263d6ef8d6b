// spritefont_capture: renders frames of the demonstration headless, exactly
// as its window shows them, into PNG files.
#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "apng.h"
#include "capture.h"
#include "command_line.h"
#include "file_io.h"

namespace {

const char kUsage[] =
    "usage: spritefont_capture [--frame T] [--out FILE]\n"
    "       spritefont_capture --from A --to B [--step K] [--fps F] --out FILE\n"
    "\n"
    "Renders frame T of the demonstration (T = 1 is the first frame) on the\n"
    "offscreen screen into an 800 x 600 PNG (default: frame 1, frame.png).\n"
    "With --from/--to it writes frames A, A+K, ... up to B as one animated PNG\n"
    "(APNG) that plays at F frames per second (default 60 / K, the window's\n"
    "speed at 60 Hz). Needs no display.\n"
    "\n"
    "  --frame T   the frame to render (a whole number, 1 or more)\n"
    "  --from A    first frame of an animation\n"
    "  --to B      last frame of an animation (B >= A)\n"
    "  --step K    frames between two pictures of the animation (default 1)\n"
    "  --fps F     pictures per second of the animation\n"
    "  --shrink S  make the picture S times smaller (1, 2 or 4; default 1)\n"
    "  --out FILE  where to write the PNG\n"
    "  --help      this text\n"
    "\n"
    "Exit status: 0 written, 1 the picture could not be made or written,\n"
    "2 wrong command line.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "spritefont_capture: %s\n", message.c_str());
    return 1;
}

// Wrong command lines exit 2, as with the other tools, so scripts can tell
// them from failed work.
int Usage(const std::string& message) { return CommandLineError("spritefont_capture", message); }

}  // namespace

int main(int argc, char** argv) {
    std::int32_t frame = 1, from = 0, to = 0, step = 1, fps = 0, shrink = 1;
    bool animation = false;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        static const char* const kValueOptions[] = {"--frame", "--from", "--to", "--step", "--fps", "--shrink", "--out"};
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions))
            return Usage("unknown option " + arg);
        if (i + 1 >= argc) return Usage("missing value after " + arg);
        const std::string value = argv[++i];
        // t is a float: whole numbers up to 2^24 are exact, and there the animation stands still.
        const long maxFrame = 16777216;
        bool ok = true;
        if (arg == "--frame") ok = ParseInt(value, 1, maxFrame, &frame);
        else if (arg == "--from") ok = ParseInt(value, 1, maxFrame, &from), animation = true;
        else if (arg == "--to") ok = ParseInt(value, 1, maxFrame, &to), animation = true;
        else if (arg == "--step") ok = ParseInt(value, 1, maxFrame, &step);
        else if (arg == "--fps") ok = ParseInt(value, 1, 1000, &fps);
        else if (arg == "--shrink") ok = ParseInt(value, 1, 4, &shrink) && shrink != 3;
        else if (arg == "--out") out = value;
        if (!ok) return Usage("bad value for " + arg + ": " + value);
    }
    if (animation && (from == 0 || to == 0 || to < from)) return Usage("an animation needs --from A and --to B with B >= A");
    if (animation && (to - from) / step + 1 > 2000) return Usage("more than 2000 pictures; use a larger --step");
    if (out.empty()) out = animation ? "animation.png" : "frame.png";

    std::string error;
    auto capturer = Capturer::Open(&error);
    if (!capturer) return Fail(error);

    std::vector<std::uint8_t> bytes;
    if (!animation) {
        bytes = capturer->RenderPng(static_cast<float>(frame), static_cast<int>(shrink));
    } else {
        std::vector<std::vector<std::uint8_t>> stills;
        for (long t = from; t <= to; t += step) {
            stills.push_back(capturer->RenderPng(static_cast<float>(t), static_cast<int>(shrink)));
            if (stills.back().empty()) return Fail("cannot encode frame " + std::to_string(t));
        }
        const long rate = fps > 0 ? fps : (60 + step / 2) / step;
        bytes = AssembleApng(stills, 1, static_cast<std::uint16_t>(rate > 0 ? rate : 1));
    }
    if (bytes.empty()) return Fail("cannot encode the picture");
    // The tools' one writer: a failed write leaves no half-written picture.
    if (!sftools::WriteFileAtomically(out, bytes, &error)) return Fail(error);
    std::printf("wrote %s (%zu bytes)\n", out.c_str(), bytes.size());
    return 0;
}
