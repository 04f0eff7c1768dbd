// The report label.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "platform/ui/win32/control.h"
#include "window/controls.h"

namespace Ui {

// The report label: a read-only text box without a frame or the focus,
// each line of the caption on one row cut at the right edge (a first line
// too long for it is shortened in the middle, keeping the file's name and
// size in view), its text
// selectable with the mouse and copied with its menu or Ctrl+C (the whole
// report when nothing is selected). Its menu also compares a checksum on
// the clipboard with the report's.
class Win32Label : public Win32Control, public Window::Label {
  public:
    explicit Win32Label(HWND form);

    std::string Caption() const override { return caption_; }
    void SetCaption(const std::string& caption, std::size_t literalLength,
                    const Window::ReportChecksums& checksums) override;

    // The selected text, or the whole text when none is selected, to the
    // clipboard, with the part of a shortened line the ellipsis stands for.
    // Throws PlatformError when the clipboard refuses it.
    void Copy() const;
    // Which of the report's checksums the clipboard's text is, in a box;
    // nothing while the label shows no report.
    void CompareWithClipboard() const;

  protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Shows `whole_`, its first line shortened in the middle when it is too
    // wide for the label; false when the control refused the text.
    bool Show();
    // Where position `shown` of the text shown stands in `whole_`.
    std::size_t WholePosition(std::size_t shown) const;

    std::string caption_;
    std::optional<Window::ReportChecksums> checksums_;  // none until a report is shown
    std::wstring whole_;                                // the caption as shown, never shortened
    std::size_t keepFrom_ = 0;                          // the first line's file name starts here
    std::size_t ellipsisAt_ = 0;                        // where the ellipsis stands, when shortened
    std::size_t ellipsisStandsFor_ = 0;  // characters it stands for; 0: not shortened
};

}  // namespace Ui
