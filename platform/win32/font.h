// The font of the form's controls: one that draws Latin letters, digits and
// katakana with glyphs of its own, at the report's size.
#pragma once

#include <windows.h>

namespace Platform {

// The form's font at `dpi` dots per inch; the caller deletes it.
HFONT CreateFormFont(unsigned dpi);

}  // namespace Platform
