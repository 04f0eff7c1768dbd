#include "cli/walk.h"

#include <algorithm>
#include <string_view>

#include "platform/files/byte_buffer.h"
#include "platform/files/files.h"
#include "platform/os/decimal_text.h"
#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/os/walk.h"

namespace Cli {
namespace {

class Walk {
  public:
    Walk(const Options& options, Session& session) : options_(options), session_(session) {}

    // Adds the FILE `name` of the command line: standard input for "-".
    void AddArgument(const std::string& name) {
        if (name == kStandardInput) {
            files_.targets.push_back({name, name, true});
        } else {
            Add(name);
        }
    }

    // Adds each name of the --files-from text `text`, separated by newlines
    // or NULs; `source` names it in messages. A name of "-" there is a file.
    void AddNamesFrom(std::string_view text, const std::string& source) {
        const char separator = options_.nullSeparated ? '\0' : '\n';
        std::size_t number = 0;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find(separator), text.size());
            const std::string_view name = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            ++number;
            if (name.find('\0') != std::string_view::npos) {
                // The system would read only the part before it.
                session_.Complain(source + ":" + Platform::DecimalText(number),
                                  "a file name cannot hold a NUL byte");
                Fail(kSomeFailed);
            } else if (!name.empty()) {
                Add(std::string(name));
            }
        }
    }

    void Fail(int status) { files_.status = std::max(files_.status, status); }
    FileSet Take() { return std::move(files_); }

  private:
    // Adds the file `name`, or with --recursive the files below it when it
    // is a directory, their paths written with this system's separator.
    void Add(const std::string& name) {
        if (options_.recursive && Platform::KindOfPath(name) == Platform::PathKind::kDirectory) {
            AddDirectory(Platform::WithSystemSeparators(name));
        } else {
            files_.targets.push_back({name, name});
        }
    }

    void AddDirectory(const std::string& directory) {
        std::vector<Platform::WalkEntry> entries;
        try {
            entries = Platform::ListWalkEntries(directory);
        } catch (const Platform::PlatformError& error) {
            session_.Complain(error.path(), error.reason());
            Fail(kSomeFailed);
            return;
        }
        for (const Platform::WalkEntry& entry : entries) {
            const std::string path =
                Platform::JoinPath(directory, Platform::kPathSeparator, entry.name);
            if (entry.kind == Platform::WalkEntry::Kind::kDirectory) {
                AddDirectory(path);
            } else if (entry.kind == Platform::WalkEntry::Kind::kFile) {
                files_.targets.push_back({path, path});
            }
        }
    }

    const Options& options_;
    Session& session_;
    FileSet files_;
};

}  // namespace

FileSet FilesToReport(const Options& options, Platform::InputStream input, Session& session) {
    Walk walk(options, session);
    for (const std::string& name : options.names) {
        walk.AddArgument(name);
    }
    if (options.filesFrom) {
        const std::string& source = *options.filesFrom;
        try {
            bool isFifo = false;
            const Platform::ByteBuffer bytes = source == kStandardInput
                                                   ? Platform::ReadToEnd(input, source)
                                                   : Platform::ReadFileOrFifo(source, isFifo);
            walk.AddNamesFrom({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, source);
        } catch (const Platform::PlatformError& error) {
            session.Complain(source, error.reason());
            walk.Fail(kUsageError);
        }
    }
    return walk.Take();
}

}  // namespace Cli
