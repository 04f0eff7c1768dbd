#include <windows.h>

#include <algorithm>
#include <charconv>
#include <string>

#include "cli/system/encoding.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/text_win32.h"
#include "platform/system/os/unicode_text.h"

namespace Cli::Os {
namespace {

// The system's conversion from code page `codePage`. MultiByteToWideChar
// has no state between calls, so the bytes of a character cut at the end
// of a piece are held until the next.
class CodePageDecoder : public TextDecoder {
  public:
    CodePageDecoder(UINT codePage, UINT longestCharacter)
        : codePage_(codePage), longest_(std::max<UINT>(longestCharacter, 1)) {}

    bool Decode(std::string_view bytes, std::string& out) override {
        pending_.append(bytes);
        std::size_t complete = CompleteLength();
        std::wstring wide;
        // Beyond double-byte code pages the system says no more than that a
        // sequence failed: the end is held back a byte at a time.
        while (!Convert(std::string_view(pending_).substr(0, complete), wide)) {
            if (longest_ <= 2 || complete == 0 || pending_.size() - complete + 1 >= longest_) {
                return false;
            }
            --complete;
        }
        out += System::Utf8Text(wide);
        pending_.erase(0, complete);
        return true;
    }

    bool Finish() override { return pending_.empty(); }

  private:
    // The bytes of `pending_` that end on a whole character, as far as the
    // code page's lead bytes tell.
    std::size_t CompleteLength() const {
        if (longest_ != 2) {
            return pending_.size();
        }
        std::size_t at = 0;
        while (at < pending_.size()) {
            const auto byte = static_cast<BYTE>(pending_[at]);
            if (::IsDBCSLeadByteEx(codePage_, byte)) {
                if (at + 1 == pending_.size()) {
                    break;
                }
                ++at;
            }
            ++at;
        }
        return at;
    }

    bool Convert(std::string_view bytes, std::wstring& wide) const {
        wide.clear();
        if (bytes.empty()) {
            return true;
        }
        const int size = static_cast<int>(bytes.size());
        DWORD flags = MB_ERR_INVALID_CHARS;
        int length = ::MultiByteToWideChar(codePage_, flags, bytes.data(), size, nullptr, 0);
        if (length == 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
            flags = 0;  // the code pages that take no flags
            length = ::MultiByteToWideChar(codePage_, flags, bytes.data(), size, nullptr, 0);
        }
        if (length == 0) {
            return false;
        }
        wide.resize(static_cast<std::size_t>(length));
        return ::MultiByteToWideChar(codePage_, flags, bytes.data(), size, wide.data(), length) ==
               length;
    }

    UINT codePage_;
    UINT longest_;
    std::string pending_;
};

std::unique_ptr<TextDecoder> DecoderForCodePage(UINT codePage) {
    CPINFO info{};
    if (!::IsValidCodePage(codePage) || !::GetCPInfo(codePage, &info)) {
        return nullptr;
    }
    return std::make_unique<CodePageDecoder>(codePage, info.MaxCharSize);
}

// The code page of an encoding's common name, or 0.
UINT CodePageOf(const std::string& name) {
    static constexpr std::pair<std::string_view, UINT> kNames[] = {
        {"shiftjis", 932}, {"sjis", 932},      {"windows31j", 932}, {"mskanji", 932},
        {"eucjp", 20932},  {"gbk", 936},       {"gb2312", 936},     {"gb18030", 54936},
        {"big5", 950},     {"euckr", 51949},   {"koi8r", 20866},    {"koi8u", 21866},
        {"latin1", 28591}, {"ascii", 20127},   {"usascii", 20127},  {"utf8", CP_UTF8},
        {"utf7", CP_UTF7}, {"macroman", 10000}};
    const std::string folded = System::FoldedEncodingName(name);
    for (const auto& [known, codePage] : kNames) {
        if (folded == known) {
            return codePage;
        }
    }
    // cpNNN, windowsNNN, msNNN, ibmNNN, iso8859N or the number alone.
    std::string_view digits = folded;
    for (const std::string_view prefix : {"cp", "windows", "ms", "ibm"}) {
        if (digits.starts_with(prefix)) {
            digits.remove_prefix(prefix.size());
            break;
        }
    }
    UINT offset = 0;
    if (digits.starts_with("iso8859")) {
        digits.remove_prefix(7);
        offset = 28590;
    }
    UINT number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return 0;
    }
    return offset + number;
}

}  // namespace

std::unique_ptr<TextDecoder> DecoderFor(const std::string& name) {
    const UINT codePage = CodePageOf(name);
    return codePage == 0 ? nullptr : DecoderForCodePage(codePage);
}

LegacyEncoding SystemLegacyEncoding() {
    const UINT codePage = ::GetACP();
    if (codePage == CP_UTF8) {
        return {};
    }
    return {"cp" + System::DecimalText(codePage), DecoderForCodePage(codePage)};
}

std::optional<std::string> InConsoleCodePage(const std::string& text) {
    const UINT ansi = ::GetACP();
    const UINT oem = ::GetOEMCP();
    if (ansi == oem || ansi == CP_UTF8 || oem == CP_UTF8) {
        return std::nullopt;
    }
    std::wstring wide;
    try {
        wide = System::WideText(text);
    } catch (const System::PlatformError&) {
        return std::nullopt;
    }
    if (wide.empty()) {
        return std::nullopt;
    }
    // Back to the bytes the ANSI code page read: only when each character
    // has its own byte there (no best fit, no default character).
    const int size = static_cast<int>(wide.size());
    BOOL defaulted = FALSE;
    const int length = ::WideCharToMultiByte(ansi, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                             0, nullptr, &defaulted);
    if (length <= 0 || defaulted) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(ansi, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length,
                          nullptr, &defaulted);
    const std::unique_ptr<TextDecoder> decoder = DecoderForCodePage(oem);
    std::string console;
    if (defaulted || !decoder || !decoder->Decode(bytes, console) || !decoder->Finish() ||
        console == text) {
        return std::nullopt;
    }
    return console;
}

}  // namespace Cli::Os
