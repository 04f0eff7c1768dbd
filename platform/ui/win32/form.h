// The form: a top-level window of fixed client size, laid out in twips.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/win32/control.h"
#include "platform/ui/win32/label.h"
#include "window/controls.h"
#include "window/twips.h"

namespace Ui {

// A top-level form with a fixed client size, laid out in twips, that raises
// its load event before it first shows and its unload event when it is
// closed. It routes its controls' notifications to them, gives them a font
// that shows katakana, and lays them out again when it moves to a monitor
// of another resolution.
class Win32Form : public Window::Form {
  public:
    // `caption` is UTF-8; the client size is in twips.
    Win32Form(std::string_view caption, int clientWidthTwips, int clientHeightTwips);
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;
    ~Win32Form();

    HWND Handle() const { return hwnd_; }

    // A control's place on the form, in twips.
    struct Place {
        int left;
        int top;
        int width;
        int height;
    };
    // Places `control` at `place`, next in the form's tab order, which is
    // the order controls are added in.
    void Add(Win32Control& control, const Place& place);
    // Ctrl+C anywhere on the form copies from `label`.
    void SetCopySource(const Win32Label& label) { copySource_ = &label; }

    // The form's resolution in dots per inch, and pixels for twips at it.
    unsigned Dpi() const { return dpi_; }
    int Pixels(int twips) const { return Window::TwipsToPixels(twips, dpi_); }

    // Raises the load event once, then shows the form with the focus on the
    // first control.
    void ShowForm(int showCommand);

    // Handles the form's keyboard shortcuts and dialog navigation (Tab,
    // Enter) for `message`; false when it is the message loop's to dispatch.
    bool PreTranslate(MSG& message);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LayOut(unsigned dpi);
    void Close();

    struct Placed {
        Win32Control* control;
        Place place;
    };
    int clientWidth_;   // twips
    int clientHeight_;  // twips
    HWND hwnd_ = nullptr;
    unsigned dpi_ = 96;
    HFONT font_ = nullptr;
    HACCEL accelerators_ = nullptr;
    std::vector<Placed> controls_;
    const Win32Label* copySource_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool loaded_ = false;
};

}  // namespace Ui
