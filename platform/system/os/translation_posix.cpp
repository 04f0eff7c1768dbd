// Catalogues through the C library's gettext, as every GNU program reads
// them; the language comes from the environment by the usual rules.
#include <libintl.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <string>

#include "platform/system/os/translation.h"

#ifndef TALLIX_LOCALE_FROM_BIN
#define TALLIX_LOCALE_FROM_BIN "../share/locale"
#endif

namespace System {
namespace {

constexpr char kDomain[] = "tallix";

// The messages' domain, bound at first use to this installation's
// catalogues, so that another installation's, in the C library's default
// folder, is never read.
const char* Domain() {
    static const char* const domain = [] {
        ::bindtextdomain(kDomain, InstalledCatalogues().c_str());
        return kDomain;
    }();
    return domain;
}

}  // namespace

const char* Tr(const char* english) {
    return ::dgettext(Domain(), english);
}

const char* TrCount(const char* one, const char* many, unsigned long count) {
    return ::dngettext(Domain(), one, many, count);
}

void UseUserLanguage(const std::string& catalogues) {
    // Messages, and the character set they are written in; numbers, sorting
    // and the rest keep the C locale's rules, which the output's formats
    // rely on. A locale that is not installed leaves English.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    ::bindtextdomain(Domain(), catalogues.c_str());
}

std::string InstalledCatalogues() {
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) {
        return {};
    }
    std::string folder(program, static_cast<std::size_t>(length));
    return folder.substr(0, folder.rfind('/') + 1) + TALLIX_LOCALE_FROM_BIN;
}

}  // namespace System
