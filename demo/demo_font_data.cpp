// The packed font goes into the program as it stands on disk: the assembler
// includes the file's bytes, so the build needs no converter and no typeface.
#include "demo_font.h"

#ifndef DEMO_FONT_FILE
#error "DEMO_FONT_FILE must name the packed font to embed"
#endif

// kDemoFontSize is an address-sized integer, as std::size_t is on the ELF
// targets this builds for; the difference of two labels needs no relocation.
static_assert(sizeof(std::size_t) == sizeof(void*));

asm(R"(
    .pushsection .rodata
    .global kDemoFont
    .type kDemoFont, @object
    .balign 16
kDemoFont:
    .incbin ")" DEMO_FONT_FILE R"("
.LdemoFontEnd:
    .size kDemoFont, .LdemoFontEnd - kDemoFont
    .global kDemoFontSize
    .type kDemoFontSize, @object
    .balign 8
kDemoFontSize:
    .dc.a .LdemoFontEnd - kDemoFont
    .size kDemoFontSize, . - kDemoFontSize
    .popsection
)");
