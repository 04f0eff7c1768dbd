// What the directory and file lists share: a native list box of the
// program's names.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/win32/control.h"

namespace Ui {

// A list box whose rows each stand for a name or path of the program and
// show its display text; refilled in one step without redrawing between.
// While it has the focus its edge is drawn in the highlight colour.
class Win32ListBox : public Win32Control {
  public:
    // The highlighted row, -1 when none.
    int CurrentRow() const;
    int RowCount() const;
    // The text row `row` shows.
    std::wstring RowText(int row) const;

  protected:
    Win32ListBox(HWND form, DWORD style);
    // Replaces the rows with `texts` and highlights `current` (none for
    // -1), raising no event.
    void SetRows(const std::vector<std::wstring>& texts, int current);
    // Highlights `row` (none for -1) without raising events.
    void Highlight(int row);

    void OnFontChanged() override { FitScrollWidth(); }
    // Draws the frame of the focus; a list that handles messages of its
    // own leaves the others to this.
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Lets the list scroll sideways as far as its widest rows need, so a
    // name too long for it can be read; measures the longest rows only,
    // which a list of 100,000 names fills in no time.
    void FitScrollWidth();
    std::vector<std::wstring> longest_;
};

}  // namespace Ui
