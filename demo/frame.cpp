#include "frame.h"

#include "showcase.h"

void RenderFrame(Screen& screen, float t) noexcept {
    screen.Clear(0xFFFFFF);
    screen.BeginSprite3D();
    RunShowcase(t);
    screen.EndSprite3D();
    // The guide line goes on top of the glyphs; without a 2D target it is
    // skipped for this frame.
    if (screen.Begin2D()) {
        screen.SetDrawingMode(1);
        screen.DrawLine(kGuideX, kGuideY, kGuideWidth, 1, 0x000000);
        screen.End2D();
    }
}
