// What only the POSIX listing needs: the kinds of the entries of an open
// directory.
#pragma once

#include <string>

#include "platform/system/os/directory.h"
#include "platform/system/os/hidden_name_posix.h"

namespace System {

// What a directory entry is, as the lists sort entries: a directory, a
// regular file, or anything else (a device, FIFO, socket, or a link that
// leads nowhere the user may go).
enum class EntryKind { kDirectory, kFile, kOther };

// The kind of the entry `name` of the open directory `directoryFd`, whose
// type the directory read gave as `type` (a DT_ value). The type answers
// for directories, regular files and the rest; a link (DT_LNK) is followed,
// and an unknown type (DT_UNKNOWN, on file systems that do not record it)
// is looked up. An entry that vanished since the read is kOther. Throws
// PlatformError ("examine", `directory`/`name`) when the entry itself
// cannot be examined.
EntryKind KindOfEntry(int directoryFd, const std::string& directory, const char* name,
                      unsigned char type);

}  // namespace System
