// The user's language for every message a person reads. Mark an English
// message in place with Tr("...") (TrCount for one with a count, TrLater
// where it is kept as data and passed through Tr later); po/update.sh then
// takes it into the catalogue po/tallix.pot for translators. Messages are
// UTF-8; {1}, {2}... stand for values put in by Filled, so a translation
// may order them as its language does.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace System {

// The user's language's form of the English message `english`, or `english`
// itself when the catalogue has none (or no catalogue is loaded).
const char* Tr(const char* english);

// The same for a message about `count` things: `one` and `many` are the
// English singular and plural.
const char* TrCount(const char* one, const char* many, unsigned long count);

// Marks a message the catalogue takes, left in English until Tr is given it.
constexpr const char* TrLater(const char* english) {
    return english;
}

// `text` with each {N} (N from 1 to 9) replaced by the Nth of `values`; any
// other brace is left as it is.
std::string Filled(std::string_view text, std::initializer_list<std::string_view> values);

// Takes the user's language as the system sets it (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG on Linux; the display language on Windows) and loads
// its catalogue: on Linux from `catalogues`, a folder that holds LANG/
// LC_MESSAGES/tallix.mo; on Windows from the program's own resources.
void UseUserLanguage(const std::string& catalogues);

// The installed catalogues' folder, found from the running program's own
// place (BIN/../share/locale), so an installation can be moved.
std::string InstalledCatalogues();

}  // namespace System
