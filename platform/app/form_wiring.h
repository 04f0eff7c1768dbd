// What the program's one form does the same way on every form runtime,
// written once over the window's control interfaces: the controls
// taken in Form1's tab order, Form1's event procedures raised by the form
// and its controls, the lists opened on the start directory, and a path
// opened as the user would reach it in the lists (a file dropped on the
// form, or named on the command line). Each runtime's MainForm builds the
// controls and places them.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "window/controls.h"
#include "window/form1.h"

namespace App {

// Where the lists go to reach a path: its folder, and the file to click in
// it (empty for a folder, which is opened).
struct PathPlace {
    std::string folder;
    std::string file;
};

// The place of `path`, made absolute. Throws PlatformError(Operation::kOpen, path,
// reason) when it names nothing or cannot be examined.
PathPlace PlaceOf(const std::string& path);

// The four controls with their places from Form1's layout table, in the tab
// order it gives.
template <typename Control>
std::array<std::pair<Control*, Window::ControlLayout>, 4> InTabOrder(Control* drive1, Control* dir1,
                                                                     Control* file1,
                                                                     Control* label1) {
    const Window::FormLayout& layout = Window::Form1::kLayout;
    std::array<std::pair<Control*, Window::ControlLayout>, 4> controls{{
        {drive1, layout.Drive1},
        {dir1, layout.Dir1},
        {file1, layout.File1},
        {label1, layout.Label1},
    }};
    std::sort(controls.begin(), controls.end(),
              [](const auto& a, const auto& b) { return a.second.TabIndex < b.second.TabIndex; });
    return controls;
}

// Form1 wired to a form runtime's form and controls through the window's
// interfaces (window/controls.h), which say what each raises and does.
class MainFormWiring {
  public:
    // Runs a procedure as an event of the form (the runtime's RunEvent):
    // an error it throws is reported; returns whether it completed.
    using RunEvent = std::function<bool(const std::function<void()>&)>;

    MainFormWiring(Window::Form& form, Window::DriveListBox& drive1, Window::DirListBox& dir1,
                   Window::FileListBox& file1, Window::Form1& form1, RunEvent run)
        : form_(form),
          drive1_(drive1),
          dir1_(dir1),
          file1_(file1),
          form1_(form1),
          run_(std::move(run)) {}
    MainFormWiring(const MainFormWiring&) = delete;
    MainFormWiring& operator=(const MainFormWiring&) = delete;

    // The directories the lists may start on, the first that can be read
    // taken; each gives its path, or throws why it has none.
    using Starts = std::vector<std::function<std::string()>>;

    // Fills the lists without raising events, as the runtime does before
    // the form loads, on the first of `starts` that gives a directory that
    // can be read, reporting each that fails.
    void OpenOn(const Starts& starts);

    // Opens on `path` as OpenOn does: on its folder, its file to be clicked
    // once the form has loaded (ClickStartFile). When the path cannot be
    // reached, reports it and opens on `starts` instead.
    void OpenOnPath(const std::optional<std::string>& path, const Starts& starts);

    // Clicks the file OpenOnPath opened on, as a click on it would; one the
    // list does not show (hidden, a system file, not an ordinary file) is
    // reported.
    void ClickStartFile();

    // Form1's event procedures for the form's and the controls' events; a
    // path dropped on the form is opened.
    void RouteEvents();

    // The lists move to the file's directory, as opening it in the
    // directory list would, and the file is clicked; a directory is opened.
    void OpenPath(const std::string& path);

  private:
    void Fill(const std::string& directory);

    Window::Form& form_;
    Window::DriveListBox& drive1_;
    Window::DirListBox& dir1_;
    Window::FileListBox& file1_;
    Window::Form1& form1_;
    RunEvent run_;
    std::string startFile_;
};

}  // namespace App
