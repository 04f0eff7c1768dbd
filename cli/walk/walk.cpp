#include "cli/walk/walk.h"

#include <string_view>
#include <utility>

#include "cli/lists/list_decoder.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace Cli {

FileWalk::FileWalk(const Options& options, System::InputStream input)
    : options_(options), input_(input) {}

std::optional<Found> FileWalk::Next() {
    for (;;) {
        if (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.next == level.entries.size()) {
                levels_.pop_back();
                continue;
            }
            const Cli::Os::WalkEntry& entry = level.entries[level.next++];
            const std::string path =
                System::JoinPath(level.path, System::kPathSeparator, entry.name);
            if (entry.kind == Cli::Os::WalkEntry::Kind::kDirectory) {
                if (std::optional<Found> found = Enter(path)) {
                    return found;
                }
            } else if (entry.kind == Cli::Os::WalkEntry::Kind::kFile) {
                return Found{MeasureTarget{path, path}, {}, {}};
            }
            continue;
        }
        if (argument_ < options_.names.size()) {
            const std::string& name = options_.names[argument_++];
            if (name == kStandardInput) {
                return Found{MeasureTarget{name, name, true}, {}, {}};
            }
            if (std::optional<Found> found = Add(name)) {
                return found;
            }
            continue;
        }
        if (!options_.filesFrom || namesEnded_) {
            return std::nullopt;
        }
        if (std::optional<Found> found = NextNameRead()) {
            return found;
        }
    }
}

bool FileWalk::Ready() const {
    return !levels_.empty() || argument_ < options_.names.size() || (names_ && names_->LineReady());
}

std::optional<Found> FileWalk::Add(const std::string& name) {
    if (options_.recursive && Cli::Os::KindOfPath(name) == Cli::Os::PathKind::kDirectory) {
        return Enter(System::WithSystemSeparators(name));
    }
    return Found{MeasureTarget{name, name, false, true}, {}, {}};
}

std::string FileWalk::WithoutLineEnd(std::string name) const {
    if (options_.nullSeparated || !name.ends_with('\r') ||
        Cli::Os::KindOfPath(name) != Cli::Os::PathKind::kMissing) {
        return name;
    }
    const std::size_t end = name.find_last_not_of('\r');
    return end == std::string::npos ? name : name.substr(0, end + 1);
}

std::optional<Found> FileWalk::Enter(const std::string& directory) {
    try {
        levels_.push_back({directory, Cli::Os::ListWalkEntries(directory)});
    } catch (const System::PlatformError& error) {
        return Found{std::nullopt, error.path(), error.reason(), kSomeFailed};
    }
    return std::nullopt;
}

std::optional<Found> FileWalk::NextNameRead() {
    const std::string& source = *options_.filesFrom;
    try {
        if (!names_) {
            bool isFifo = false;
            names_.emplace(source == kStandardInput
                               ? System::FileReader::Stream(input_, source)
                               : System::FileReader::OpenFileOrFifo(source, isFifo),
                           options_.nullSeparated ? '\0' : '\n',
                           ListDecoder(options_.listEncoding, options_.nullSeparated));
        }
        for (;;) {
            const std::optional<TextLine> name = names_->Next();
            if (!name) {
                namesEnded_ = true;
                names_.reset();
                return std::nullopt;
            }
            const std::string where = source + ":" + System::DecimalText(name->number);
            if (name->tooLong) {
                return Found{std::nullopt, where, System::Tr("a name longer than any path"),
                             kSomeFailed};
            }
            if (name->text.find('\0') != std::string_view::npos) {
                // The system would read only the part before it.
                return Found{std::nullopt, where, System::Tr("a file name cannot hold a NUL byte"),
                             kSomeFailed};
            }
            if (!name->text.empty()) {
                // Nothing when a directory was entered.
                return Add(WithoutLineEnd(std::string(name->text)));
            }
        }
    } catch (const System::PlatformError& error) {
        namesEnded_ = true;
        names_.reset();
        return Found{std::nullopt, source, error.reason(), kUsageError};
    }
}

}  // namespace Cli
