// A compiled message catalogue (gettext's .mo format, as msgfmt writes it)
// read from memory, for a system whose C library has no gettext: the
// Windows programs carry theirs as resources.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace System {

class MessageCatalogue {
  public:
    // Reads `mo`, which must outlive the catalogue. Bytes that are not a
    // well-formed catalogue give an empty one.
    explicit MessageCatalogue(std::string_view mo);

    // The translation of `english`, or `english` when there is none.
    const char* Find(const char* english) const;
    // The translation of the message `one`/`many` for `count`, chosen by
    // the catalogue's Plural-Forms; `one` or `many` as English chooses when
    // there is none.
    const char* FindCount(const char* one, const char* many, unsigned long count) const;

    std::uint32_t size() const noexcept { return count_; }

  private:
    // Entry `index` of the originals' table or the translations' table.
    std::string_view Original(std::uint32_t index) const;
    std::string_view Translation(std::uint32_t index) const;
    std::string_view Entry(std::uint32_t table, std::uint32_t index) const;
    std::uint32_t Word(std::uint32_t offset) const;
    // The translation whose original's first string is `key`, if any.
    std::optional<std::string_view> Lookup(std::string_view key) const;

    std::string_view mo_;
    bool swapped_ = false;
    std::uint32_t count_ = 0;
    std::uint32_t originals_ = 0;
    std::uint32_t translations_ = 0;
    std::string_view plural_;  // the header's "plural=" expression
};

// The form index `expression` (C syntax over n, as a Plural-Forms header
// gives it: "n != 1", "n%10==1 && n%100!=11 ? 0 : ...") picks for `n`; 0 for
// an expression that cannot be read.
unsigned long PluralIndex(std::string_view expression, unsigned long n);

}  // namespace System
