// Without a display the window program must say so and end with 1, quickly,
// instead of running unseen on a headless video driver.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"

namespace {

TEST(DemoWithoutDisplay, ExitsOneWithAMessage) {
    struct Case {
        const char* name;
        std::vector<std::string> set;
    };
    const std::vector<Case> cases = {
        {"no DISPLAY", {}},
        {"offscreen driver asked for", {"SDL_VIDEODRIVER=offscreen"}},
        {"dummy driver asked for", {"SDL_VIDEODRIVER=dummy"}},
        {"X server that is not there", {"DISPLAY=:999"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChildProcess demo(SPRITEFONT_DEMO_PATH, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
                          c.set);
        ASSERT_TRUE(demo.Started());
        const ChildResult result = demo.Wait(15.0);
        ASSERT_TRUE(result.exited) << "still running after 15 s";
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_LT(result.seconds, 10.0);
        EXPECT_NE(result.stderrText.find("display"), std::string::npos) << result.stderrText;
    }
}

}  // namespace
