// The base of every native control on the form.
#pragma once

#include <windows.h>

#include <optional>

namespace Ui {

// The program's module, which the form's and controls' windows belong to.
HINSTANCE ThisModule();

// A native control, a child of the form, that the form routes its
// notifications to.
class Win32Control {
  public:
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;
    virtual ~Win32Control();

    HWND Handle() const { return hwnd_; }

    // A WM_COMMAND notification (`code`) from this control.
    virtual void OnCommand(WORD code) { (void)code; }
    // Enter pressed while this control has the focus.
    virtual void OnEnter() {}
    // The form gave the control another font (another resolution).
    virtual void OnFontChanged() {}

  protected:
    // Creates the window of class `windowClass` as a child of `form`.
    Win32Control(HWND form, const wchar_t* windowClass, DWORD style, DWORD extendedStyle);
    // Routes the control's own messages through OnMessage first; what it
    // leaves (nullopt) goes on to the control's own handling.
    void Subclass();
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The control's own handling of a message, for OnMessage to run first.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_;
    WNDPROC controlProc_ = nullptr;  // the control's own, once subclassed
};

}  // namespace Ui
