// Catalogues compiled into the program as resources, one a language named
// by its code in capitals ("JA", "PT_BR"), of the type TALLIX_MO; the
// user's display language picks one, and English stays without.
#include <windows.h>

#include <string>

#include "platform/system/os/message_catalogue.h"
#include "platform/system/os/translation.h"

namespace System {
namespace {

// The resource's bytes for the language `name`, empty when the program
// has none.
std::string_view CatalogueResource(std::wstring name) {
    for (wchar_t& c : name) {
        c = c == L'-' ? L'_' : static_cast<wchar_t>(::towupper(c));
    }
    const HRSRC found = ::FindResourceW(nullptr, name.c_str(), L"TALLIX_MO");
    const HGLOBAL loaded = found != nullptr ? ::LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    return bytes != nullptr
               ? std::string_view(static_cast<const char*>(bytes), ::SizeofResource(nullptr, found))
               : std::string_view();
}

// The catalogue of the display language ("ja-JP"), else of its language
// alone ("ja"); resources stay mapped for the program's life.
MessageCatalogue UserCatalogue() {
    wchar_t locale[LOCALE_NAME_MAX_LENGTH]{};
    if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), locale,
                           LOCALE_NAME_MAX_LENGTH, 0) == 0) {
        return MessageCatalogue({});
    }
    const std::wstring name(locale);
    std::string_view mo = CatalogueResource(name);
    if (mo.empty()) {
        mo = CatalogueResource(name.substr(0, name.find(L'-')));
    }
    return MessageCatalogue(mo);
}

const MessageCatalogue& Catalogue() {
    static const MessageCatalogue catalogue = UserCatalogue();
    return catalogue;
}

}  // namespace

const char* Tr(const char* english) {
    return Catalogue().Find(english);
}

const char* TrCount(const char* one, const char* many, unsigned long count) {
    return Catalogue().FindCount(one, many, count);
}

void UseUserLanguage(const std::string&) {
    Catalogue();
}

std::string InstalledCatalogues() {
    return {};
}

}  // namespace System
