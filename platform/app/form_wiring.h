// What the program's one form does the same way on every form runtime,
// written once over the runtime's form and control types: the controls
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

#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"
#include "window/form1.h"

namespace App {

// Where the lists go to reach a path: its folder, and the file to click in
// it (empty for a folder, which is opened).
struct PathPlace {
    std::string folder;
    std::string file;
};

// The place of `path`, made absolute. Throws PlatformError("open", path,
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

// `Form` raises onLoad, onUnload and onDrop; the lists raise onChange (the
// drive and directory lists) and onClick (the file list), show the drive
// of a path (ShowDriveOf), move (SetPath) and click a file by its name
// (ClickFile, which says whether the list holds the file).
template <typename Form, typename DriveList, typename DirList, typename FileList>
class MainFormWiring {
  public:
    // Runs a procedure as an event of the form (the runtime's RunEvent):
    // an error it throws is reported; returns whether it completed.
    using RunEvent = std::function<bool(const std::function<void()>&)>;

    MainFormWiring(Form& form, DriveList& drive1, DirList& dir1, FileList& file1,
                   Window::Form1& form1, RunEvent run)
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
    void OpenOn(const Starts& starts) {
        for (const auto& start : starts) {
            if (run_([&] { Fill(start()); })) {
                return;
            }
        }
    }

    // Opens on `path` as OpenOn does: on its folder, its file to be clicked
    // once the form has loaded (ClickStartFile). When the path cannot be
    // reached, reports it and opens on `starts` instead.
    void OpenOnPath(const std::optional<std::string>& path, const Starts& starts) {
        if (path && run_([&] {
                const PathPlace place = PlaceOf(*path);
                Fill(place.folder);
                startFile_ = place.file;
            })) {
            return;
        }
        OpenOn(starts);
    }

    // Clicks the file OpenOnPath opened on, as a click on it would; one the
    // list does not show (hidden, a system file, not an ordinary file) is
    // reported.
    void ClickStartFile() {
        const std::string name = std::exchange(startFile_, std::string());
        if (!name.empty() && !file1_.ClickFile(name)) {
            run_([&] {
                throw System::PlatformError(
                    "open", System::JoinPath(dir1_.Path(), System::kPathSeparator, name),
                    System::Tr("the file list does not show it (hidden, a system file "
                               "or not an ordinary file)"));
            });
        }
    }

    // Form1's event procedures for the form's and the controls' events; a
    // path dropped on the form is opened.
    void RouteEvents() {
        form_.onLoad = [this] { form1_.Form_Load(); };
        form_.onUnload = [this](bool& cancel) { form1_.Form_Unload(cancel); };
        drive1_.onChange = [this] { form1_.Drive1_Change(); };
        dir1_.onChange = [this] { form1_.Dir1_Change(); };
        file1_.onClick = [this] { form1_.File1_Click(); };
        form_.onDrop = [this](const std::string& path) { OpenPath(path); };
    }

    // The lists move to the file's directory, as opening it in the
    // directory list would, and the file is clicked; a directory is opened.
    void OpenPath(const std::string& path) {
        PathPlace place;
        if (run_([&] { place = PlaceOf(path); }) && run_([&] { dir1_.SetPath(place.folder); }) &&
            !place.file.empty()) {
            file1_.ClickFile(place.file);
        }
    }

  private:
    void Fill(const std::string& directory) {
        const std::string path = System::NormalDirectoryPath(directory);
        dir1_.SetPath(path);
        file1_.SetPath(path);
        drive1_.ShowDriveOf(path);
    }

    Form& form_;
    DriveList& drive1_;
    DirList& dir1_;
    FileList& file1_;
    Window::Form1& form1_;
    RunEvent run_;
    std::string startFile_;
};

}  // namespace App
