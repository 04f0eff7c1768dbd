#include "cli/walk.h"

#include <algorithm>
#include <string_view>

#include "cli/list_decoder.h"
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
                Add(WithoutLineEnd(std::string(name)));
            }
        }
    }

    void Fail(int status) { files_.status = std::max(files_.status, status); }
    FileSet Take() { return std::move(files_); }

  private:
    // A name of a file written with CR LF line ends (`dir /b > files.txt`)
    // without its CRs, unless a file is named with them.
    std::string WithoutLineEnd(std::string name) const {
        if (options_.nullSeparated || !name.ends_with('\r') ||
            Platform::KindOfPath(name) != Platform::PathKind::kMissing) {
            return name;
        }
        const std::size_t end = name.find_last_not_of('\r');
        return end == std::string::npos ? name : name.substr(0, end + 1);
    }

    // Adds the file `name`, or with --recursive the files below it when it
    // is a directory.
    void Add(const std::string& name) {
        if (options_.recursive && Platform::KindOfPath(name) == Platform::PathKind::kDirectory) {
            AddDirectory(name);
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
            ListDecoder decoder(options.listEncoding, options.nullSeparated);
            std::string names;
            const bool decoded =
                decoder.Feed({reinterpret_cast<const char*>(bytes.data()), bytes.size()}, names) &&
                decoder.Finish(names);
            if (!decoded) {
                // The names before what could not be decoded are still
                // reported; the one it cut short is not a name.
                names.erase(names.rfind(options.nullSeparated ? '\0' : '\n') + 1);
            }
            walk.AddNamesFrom(names, source);
            if (!decoded) {
                session.Complain(source, decoder.Error());
                walk.Fail(kUsageError);
            }
        } catch (const Platform::PlatformError& error) {
            session.Complain(source, error.reason());
            walk.Fail(kUsageError);
        }
    }
    return walk.Take();
}

}  // namespace Cli
