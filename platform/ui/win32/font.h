// The font of the form's controls: the system's message font, when it shows
// katakana itself or through the fonts Windows links to it, at the report's
// size; a family with katakana of its own only where it shows none.
#pragma once

#include <windows.h>

namespace Ui {

// The form's font at `dpi` dots per inch; the caller deletes it.
HFONT CreateFormFont(unsigned dpi);

}  // namespace Ui
