#include "platform/app/form_wiring.h"

#include "platform/system/os/directory.h"
#include "platform/system/os/entry_type.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace App {

PathPlace PlaceOf(const std::string& path) {
    const std::string target = System::NormalDirectoryPath(path);
    if (System::IsDirectory(target)) {
        return {target, ""};
    }
    const std::vector<std::string> ancestors = System::PathAndAncestors(target);
    return {ancestors.size() > 1 ? ancestors[ancestors.size() - 2] : target,
            System::LastName(target)};
}

void MainFormWiring::OpenOn(const Starts& starts) {
    for (const auto& start : starts) {
        if (run_([&] { Fill(start()); })) {
            return;
        }
    }
}

void MainFormWiring::OpenOnPath(const std::optional<std::string>& path, const Starts& starts) {
    if (path && run_([&] {
            const PathPlace place = PlaceOf(*path);
            Fill(place.folder);
            startFile_ = place.file;
        })) {
        return;
    }
    OpenOn(starts);
}

void MainFormWiring::ClickStartFile() {
    const std::string name = std::exchange(startFile_, std::string());
    if (!name.empty() && !file1_.ClickFile(name)) {
        run_([&] {
            throw System::PlatformError(
                System::Operation::kOpen,
                System::JoinPath(dir1_.Path(), System::kPathSeparator, name),
                System::Tr("the file list does not show it (hidden, a system file "
                           "or not an ordinary file)"));
        });
    }
}

void MainFormWiring::RouteEvents() {
    form_.onLoad = [this] { form1_.Form_Load(); };
    form_.onUnload = [this](bool& cancel) { form1_.Form_Unload(cancel); };
    drive1_.onChange = [this] { form1_.Drive1_Change(); };
    dir1_.onChange = [this] { form1_.Dir1_Change(); };
    file1_.onClick = [this] { form1_.File1_Click(); };
    form_.onDrop = [this](const std::string& path) { OpenPath(path); };
}

void MainFormWiring::OpenPath(const std::string& path) {
    PathPlace place;
    if (run_([&] { place = PlaceOf(path); }) && run_([&] { dir1_.SetPath(place.folder); }) &&
        !place.file.empty()) {
        file1_.ClickFile(place.file);
    }
}

void MainFormWiring::Fill(const std::string& directory) {
    const std::string path = System::NormalDirectoryPath(directory);
    dir1_.SetPath(path);
    file1_.SetPath(path);
    drive1_.ShowDriveOf(path);
}

}  // namespace App
