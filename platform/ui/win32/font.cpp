#include "platform/ui/win32/font.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace Ui {
namespace {

// The report's font, in points.
constexpr int kFontPoints = 9;

int CALLBACK NoteFontFound(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM found) {
    // Vertical forms of a family ("@MS UI Gothic") are not for rows of text.
    if (font->lfFaceName[0] != L'@') {
        // The bit named fixed pitch is set for proportional fonts.
        const bool proportional = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
        reinterpret_cast<std::vector<std::pair<std::wstring, bool>>*>(found)->emplace_back(
            font->lfFaceName, proportional);
    }
    return 1;
}

// The families that exist on this machine with `charset`, the proportional
// ones first.
std::vector<std::wstring> FontFamilies(HDC dc, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    std::vector<std::pair<std::wstring, bool>> found;
    ::EnumFontFamiliesExW(dc, &wanted, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    std::stable_partition(found.begin(), found.end(),
                          [](const auto& family) { return family.second; });
    std::vector<std::wstring> names;
    for (auto& [name, proportional] : found) {
        names.push_back(std::move(name));
    }
    return names;
}

// Whether the family `name` is on this machine and draws every character
// of `sample` with glyphs of its own.
bool DrawsAll(HDC dc, const std::wstring& name, const std::wstring& sample) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(wanted.lfFaceName, name.c_str(), LF_FACESIZE);
    const HFONT font = ::CreateFontIndirectW(&wanted);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    wchar_t face[LF_FACESIZE]{};
    ::GetTextFaceW(dc, LF_FACESIZE, face);
    std::vector<WORD> glyphs(sample.size());
    const bool all =
        ::GetGlyphIndicesW(dc, sample.c_str(), static_cast<int>(sample.size()), glyphs.data(),
                           GGI_MARK_NONEXISTING_GLYPHS) == sample.size() &&
        std::find(glyphs.begin(), glyphs.end(), WORD{0xFFFF}) == glyphs.end();
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    return all && ::lstrcmpiW(face, name.c_str()) == 0;
}

// Katakana as the report writes it.
constexpr wchar_t kKatakana[] = L"\u30D0\u30A4\u30C8\u30D5\u30A1";  // バイトファ

// Whether the family `name` draws Latin letters, digits and katakana with
// glyphs of its own (a fallback font may lack Latin letters, and a family
// name may be missing altogether).
bool ShowsReportText(HDC dc, const std::wstring& name) {
    return DrawsAll(dc, name, std::wstring(L"Aa0(-)") + kKatakana);
}

// Whether Windows draws katakana in the family `name` through its font
// linking: a family linked to it (FontLink\SystemLink, entries
// "FILE,Family") is on this machine and has them.
bool LinksToKatakana(HDC dc, const std::wstring& name) {
    std::wstring links(4096, L'\0');
    DWORD bytes = static_cast<DWORD>(links.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE,
                       L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink",
                       name.c_str(), RRF_RT_REG_MULTI_SZ, nullptr, links.data(),
                       &bytes) != ERROR_SUCCESS) {
        return false;
    }
    links.resize(bytes / sizeof(wchar_t));
    for (std::size_t at = 0; at < links.size() && links[at] != L'\0';) {
        const std::size_t end = links.find(L'\0', at);
        const std::wstring entry = links.substr(at, end - at);
        at = end == std::wstring::npos ? links.size() : end + 1;
        const std::size_t comma = entry.find(L',');
        if (comma != std::wstring::npos) {
            const std::wstring family =
                entry.substr(comma + 1, entry.find(L',', comma + 1) - comma - 1);
            if (DrawsAll(dc, family, kKatakana)) {
                return true;
            }
        }
    }
    return false;
}

// The system's message font, the one its dialogs and boxes write in.
LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics.lfMessageFont;
}

// The user-interface families of Windows that show katakana, newest first;
// failing those (Wine, a machine without Japanese support) the first family
// with Japanese characters that has Latin ones too, a proportional one if
// there is one, and failing that the system's message font.
std::wstring KatakanaFontFamily() {
    static const std::wstring family = [] {
        const HDC dc = ::GetDC(nullptr);
        std::vector<std::wstring> candidates{L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};
        for (std::wstring& name : FontFamilies(dc, SHIFTJIS_CHARSET)) {
            candidates.push_back(std::move(name));
        }
        const auto found =
            std::find_if(candidates.begin(), candidates.end(),
                         [dc](const std::wstring& name) { return ShowsReportText(dc, name); });
        ::ReleaseDC(nullptr, dc);
        if (found != candidates.end()) {
            return *found;
        }
        return std::wstring(MessageFont().lfFaceName);
    }();
    return family;
}

// The message font's family when it shows katakana, itself or through the
// fonts Windows links to it; otherwise (Wine without a Japanese font linked
// to its message font) a family that has them. Only in the latter may `\`
// show as a yen sign.
std::wstring FormFontFamily() {
    static const std::wstring family = [] {
        const std::wstring message = MessageFont().lfFaceName;
        const HDC dc = ::GetDC(nullptr);
        const bool showsKatakana =
            ShowsReportText(dc, message) ||
            (DrawsAll(dc, message, L"Aa0(-)") && LinksToKatakana(dc, message));
        ::ReleaseDC(nullptr, dc);
        return showsKatakana ? message : KatakanaFontFamily();
    }();
    return family;
}

}  // namespace

HFONT CreateFormFont(unsigned dpi) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(kFontPoints, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    ::lstrcpynW(font.lfFaceName, FormFontFamily().c_str(), LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

}  // namespace Ui
