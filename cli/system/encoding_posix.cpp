#include <errno.h>
#include <iconv.h>

#include "cli/system/encoding.h"

namespace Cli::Os {
namespace {

// glibc's iconv, which keeps the start of a cut character when told the
// input ended early (EINVAL) and stops at one it cannot read (EILSEQ).
class IconvDecoder : public TextDecoder {
  public:
    explicit IconvDecoder(iconv_t converter) : converter_(converter) {}
    ~IconvDecoder() override { ::iconv_close(converter_); }
    IconvDecoder(const IconvDecoder&) = delete;
    IconvDecoder& operator=(const IconvDecoder&) = delete;

    bool Decode(std::string_view bytes, std::string& out) override {
        pending_.append(bytes);
        std::size_t done = 0;
        char buffer[4096];
        while (done < pending_.size()) {
            char* in = pending_.data() + done;
            std::size_t inLeft = pending_.size() - done;
            char* to = buffer;
            std::size_t toLeft = sizeof buffer;
            const std::size_t result = ::iconv(converter_, &in, &inLeft, &to, &toLeft);
            const int error = errno;
            out.append(buffer, static_cast<std::size_t>(to - buffer));
            done = pending_.size() - inLeft;
            if (result != static_cast<std::size_t>(-1)) {
                continue;
            }
            if (error == EINVAL) {
                break;  // a character cut short: kept for the next piece
            }
            if (error != E2BIG) {
                return false;
            }
        }
        pending_.erase(0, done);
        return true;
    }

    bool Finish() override { return pending_.empty(); }

  private:
    iconv_t converter_;
    std::string pending_;
};

}  // namespace

std::unique_ptr<TextDecoder> DecoderFor(const std::string& name) {
    // iconv reads "//IGNORE" and "//TRANSLIT" after a name as orders to drop
    // or replace what it cannot convert: a name read so would not be the
    // name in the list.
    if (name.find('/') != std::string::npos) {
        return nullptr;
    }
    const iconv_t converter = ::iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return std::make_unique<IconvDecoder>(converter);
}

LegacyEncoding SystemLegacyEncoding() {
    return {};  // names are bytes here: whatever is not UTF-8 stays as it is
}

std::optional<std::string> InConsoleCodePage(const std::string&) {
    return std::nullopt;  // names are bytes, read as they are
}

}  // namespace Cli::Os
