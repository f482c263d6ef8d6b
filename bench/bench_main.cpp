// Runs every benchmark interleaved in random order over several repetitions
// (so that a noisy stretch of the machine hits all of them alike), then
// prints the ratios against the baselines from the medians and whether each
// target holds. Arguments given on the command line override the defaults.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Median {
    double ns = 0.0;         // real (or manual) time per iteration
    double perGlyphNs = 0.0; // the per_glyph counter, where there is one
};

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Colour only on a terminal, so that saved runs stay plain text.
    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            // A single repetition has no aggregates: its one run stands in.
            if (!median && (run.run_type != Run::RT_Iteration || run.repetitions > 1)) continue;
            Median& m = medians_[run.run_name.function_name];
            m.ns = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            const auto glyph = run.counters.find("per_glyph");
            if (glyph != run.counters.end()) m.perGlyphNs = glyph->second.value * 1e9;
        }
    }

    void PrintSummary() const {
        std::printf("\nRatios from the medians (targets in brackets):\n");
        std::printf("%-9s %7s %10s %10s %10s %16s %19s\n", "layout", "glyphs", "batched", "floor",
                    "per-call", "batched/floor", "per-call/batched");
        for (const char* layout : {"straight", "rotated", "arced"}) {
            const bool straight = std::string(layout) == "straight";
            for (const char* glyphs : {"160", "10000", "100000"}) {
                const double batched = Glyph(layout, "batched", glyphs);
                const double floor = Glyph(layout, "vertex_floor", glyphs);
                const double perCall = Glyph(layout, "per_glyph_call", glyphs);
                if (batched <= 0.0 || floor <= 0.0 || perCall <= 0.0) continue;
                const double overFloor = batched / floor, speedUp = perCall / batched;
                const double floorTarget = straight ? 2.0 : 3.0;
                char floorCell[32], callCell[32];
                std::snprintf(floorCell, sizeof floorCell, "%.2f [<=%.0f] %s", overFloor, floorTarget,
                              overFloor <= floorTarget ? "ok" : "MISS");
                if (straight)
                    std::snprintf(callCell, sizeof callCell, "%.2f [>=3] %s", speedUp, speedUp >= 3.0 ? "ok" : "MISS");
                else
                    std::snprintf(callCell, sizeof callCell, "%.2f", speedUp);
                std::printf("%-9s %7s %8.1fns %8.1fns %8.1fns %16s %19s\n", layout, glyphs, batched, floor,
                            perCall, floorCell, callCell);
            }
        }
        std::printf("\nWhole way of a glyph, engine call to the driver's return (ns/glyph, targets in brackets):\n");
        std::printf("%-9s %7s %10s %10s %16s\n", "layout", "glyphs", "our GL", "SDL", "GL/SDL");
        for (const char* layout : {"straight", "rotated", "arced"})
            for (const char* glyphs : {"160", "10000", "100000"}) {
                const double gl = Glyph(layout, "gl_whole_way", glyphs), sdl = Glyph(layout, "sdl_whole_way", glyphs);
                if (gl <= 0.0 || sdl <= 0.0) continue;
                const bool judged = std::string(glyphs) != "160";
                std::printf("%-9s %7s %8.1fns %8.1fns %9.2f%s\n", layout, glyphs, gl, sdl, gl / sdl,
                            judged ? (gl / sdl <= 0.5 ? " [<=0.5] ok" : " [<=0.5] MISS") : "");
            }
        if (Glyph("straight", "gl_whole_way", "100000") > 0.0) {
            const double ms = Glyph("straight", "gl_whole_way", "100000") * 100000.0 / 1e6;
            std::printf("100,000 straight glyphs a frame: %.2f ms [<=4] %s (SDL: %.2f ms)\n", ms,
                        ms <= 4.0 ? "ok" : "MISS", Glyph("straight", "sdl_whole_way", "100000") * 100000.0 / 1e6);
        }
        std::printf("SDL_RenderGeometry's own share of one batched call (straight quads):");
        for (const char* glyphs : {"160", "10000", "100000"})
            if (Glyph("straight", "vertex_floor", glyphs) > 0.0 && Glyph("straight", "sdl_share", glyphs) > 0.0)
                std::printf(" %s: %.1f ns/glyph (%.2f x floor)", glyphs, Glyph("straight", "sdl_share", glyphs),
                        Glyph("straight", "sdl_share", glyphs) / Glyph("straight", "vertex_floor", glyphs));
        std::printf("\n");
        // Text on a path against arced drawing, the quads query against drawing, per glyph.
        for (const char* glyphs : {"160", "10000", "100000"}) {
            const double arced = Glyph("arced", "batched", glyphs);
            const double straight = Glyph("straight", "batched", glyphs);
            if (arced <= 0.0 || straight <= 0.0) continue;
            std::printf("%6s glyphs: on a path / arced drawing [<=3]:", glyphs);
            for (const char* kind : {"circle", "polyline", "bezier"}) {
                const double path = PathGlyph(kind, glyphs);
                if (path > 0.0)
                    std::printf(" %s %.1f ns %.2f %s", kind, path, path / arced, path / arced <= 3.0 ? "ok" : "MISS");
            }
            std::printf("; quads / drawing [<=1.5]:");
            const std::pair<const char*, double> quadKinds[] = {{"straight", straight}, {"arced", arced}};
            for (const auto& [layout, drawn] : quadKinds) {
                const double quads = PathGlyph(std::string("quads_") + layout, glyphs);
                if (quads > 0.0)
                    std::printf(" %s %.1f ns %.2f %s", layout, quads, quads / drawn, quads / drawn <= 1.5 ? "ok" : "MISS");
            }
            std::printf("\n");
        }
        PrintBlockRatios();
        const double load = Ns("load/load_sprite_font"), bare = Ns("load/bare_libpng_decode");
        if (load > 0.0 && bare > 0.0)
            std::printf("load: LoadSpriteFont %.2f ms, bare libpng %.2f ms, platform decode %.2f ms: "
                        "%.3f x bare [<=1.15] %s\n",
                        load / 1e6, bare / 1e6, Ns("load/platform_decode") / 1e6, load / bare,
                        load / bare <= 1.15 ? "ok" : "MISS");
        const double texImage = Ns("load/bare_tex_image");
        if (load > 0.0 && bare > 0.0 && texImage > 0.0)
            std::printf("load on our GL: %.2f ms against bare libpng + bare glTexImage2D %.2f + %.2f ms: "
                        "%.3f x [<=1.1] %s; through SDL's renderer %.2f ms\n",
                        load / 1e6, bare / 1e6, texImage / 1e6, load / (bare + texImage),
                        load / (bare + texImage) <= 1.1 ? "ok" : "MISS", Ns("load/load_sprite_font_sdl") / 1e6);
        if (Ns("load/records_only") > 0.0)
            std::printf("load parts: glyph records alone %.1f us, decode into a texture %.2f ms\n",
                        Ns("load/records_only") / 1e3, Ns("load/create_sprite") / 1e6);
        if (Ns("startup/first_frame") > 0.0)
            std::printf("start-up to first frame: %.1f ms on our GL, %.1f ms on SDL's renderer\n",
                        Ns("startup/first_frame") / 1e6, Ns("startup/first_frame_sdl") / 1e6);
        if (Ns("frame/showcase_engine_calls") > 0.0)
            std::printf("showcase: 21 engine calls %.1f us; frame with fill %.2f ms (fill %.2f ms, "
                        "readback %.2f ms); capture picture %.2f ms (PNG encoding %.2f ms)\n",
                        Ns("frame/showcase_engine_calls") / 1e3, Ns("frame/showcase_with_fill") / 1e6,
                        Ns("frame/showcase_fill_only") / 1e6, Ns("frame/read_pixels") / 1e6,
                        Ns("frame/capture_picture") / 1e6, Ns("frame/encode_png") / 1e6);
    }

private:
    // Blocks against the same glyphs drawn as single lines, per glyph.
    void PrintBlockRatios() const {
        bool header = false;
        for (const char* glyphs : {"160", "10000", "100000"}) {
            const double straight = PerGlyph("block/single_straight/" + std::string(glyphs));
            const double turned = PerGlyph("block/single_turned/" + std::string(glyphs));
            const std::pair<const char*, double> blocks[] = {
                {"plain", straight}, {"wrapped", straight}, {"centered", straight}, {"turned", turned}};
            for (const auto& [name, single] : blocks) {
                const double block = PerGlyph("block/" + std::string(name) + "/" + glyphs);
                if (block <= 0.0 || single <= 0.0) continue;
                if (!header) {
                    std::printf("Blocks against single lines of the same glyphs (target in brackets):\n");
                    std::printf("%-9s %7s %10s %10s %16s\n", "block", "glyphs", "block", "lines", "block/lines");
                    header = true;
                }
                const double ratio = block / single;
                std::printf("%-9s %7s %8.1fns %8.1fns %9.2f [<=1.3] %s\n", name, glyphs, block, single, ratio,
                            ratio <= 1.3 ? "ok" : "MISS");
            }
        }
    }
    double PerGlyph(const std::string& name) const {
        const auto it = medians_.find(name);
        return it == medians_.end() ? 0.0 : it->second.perGlyphNs;
    }
    double Ns(const std::string& name) const {
        const auto it = medians_.find(name);
        return it == medians_.end() ? 0.0 : it->second.ns;
    }
    double Glyph(const std::string& layout, const std::string& path, const std::string& glyphs) const {
        const auto it = medians_.find("draw/" + layout + "/" + path + "/" + glyphs);
        return it == medians_.end() ? 0.0 : it->second.perGlyphNs;
    }
    double PathGlyph(const std::string& kind, const std::string& glyphs) const {
        const auto it = medians_.find("paths/" + kind + "/" + glyphs);
        return it == medians_.end() ? 0.0 : it->second.perGlyphNs;
    }
    std::map<std::string, Median> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char repetitions[] = "--benchmark_repetitions=5";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    char minTime[] = "--benchmark_min_time=0.1";
    args.insert(args.end(), {interleave, repetitions, aggregates, minTime});
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
