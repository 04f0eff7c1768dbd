// The drive list of the Windows window: the machine's logical drives.
#pragma once

#include <string>
#include <vector>

namespace System {

// The drives Windows has letters for, in letter order, each named as the
// drive list shows it and Drive1.Drive reports it: the letter and a colon,
// "C:". NormalDirectoryPath turns such a name into the drive's root, "C:\".
std::vector<std::string> ListDrives();

// The drive of an absolute path ("C:" for "C:\data"), or the root of a
// network path ("\\server\share").
std::string DriveOf(const std::string& path);

// The volume label of a drive named as ListDrives names it ("C:"), empty
// when it has none, is not ready (an empty card reader) or is a network
// drive, whose server may be slow to answer or gone.
std::string VolumeLabel(const std::string& drive);

}  // namespace System
