#include "platform/system/os/message_catalogue.h"

#include <cstring>

namespace System {
namespace {

constexpr std::uint32_t kMagic = 0x950412DE;
constexpr std::uint32_t kSwappedMagic = 0xDE120495;

// A Plural-Forms expression read and worked out for one n at once, by
// precedence climbing; `failed` is set by anything it cannot read.
class PluralExpression {
  public:
    PluralExpression(std::string_view text, unsigned long n) : text_(text), n_(n) {}

    unsigned long Value() {
        const unsigned long value = Conditional();
        Blanks();
        return failed_ || at_ != text_.size() ? 0 : value;
    }

  private:
    unsigned long Conditional() {
        const unsigned long condition = Binary(0);
        if (!Take("?")) {
            return condition;
        }
        const unsigned long then = Conditional();
        failed_ = failed_ || !Take(":");
        const unsigned long otherwise = Conditional();
        return condition != 0 ? then : otherwise;
    }

    // The operators a level binds, loosest first.
    unsigned long Binary(int level) {
        static constexpr const char* kLevels[][4] = {
            {"||"}, {"&&"}, {"==", "!="}, {"<=", ">=", "<", ">"}, {"+", "-"}, {"*", "/", "%"}};
        if (level == 6) {
            return Unary();
        }
        unsigned long value = Binary(level + 1);
        for (bool more = true; more && !failed_;) {
            more = false;
            for (const char* op : kLevels[level]) {
                if (op != nullptr && Take(op)) {
                    value = Apply(op, value, Binary(level + 1));
                    more = true;
                    break;
                }
            }
        }
        return value;
    }

    static unsigned long Apply(std::string_view op, unsigned long a, unsigned long b) {
        if (op == "||")
            return a != 0 || b != 0;
        if (op == "&&")
            return a != 0 && b != 0;
        if (op == "==")
            return a == b;
        if (op == "!=")
            return a != b;
        if (op == "<=")
            return a <= b;
        if (op == ">=")
            return a >= b;
        if (op == "<")
            return a < b;
        if (op == ">")
            return a > b;
        if (op == "+")
            return a + b;
        if (op == "-")
            return a - b;
        if (op == "*")
            return a * b;
        if (b == 0)
            return 0;
        return op == "/" ? a / b : a % b;
    }

    unsigned long Unary() {
        if (Take("!")) {
            return Unary() == 0;
        }
        if (Take("(")) {
            const unsigned long value = Conditional();
            failed_ = failed_ || !Take(")");
            return value;
        }
        if (Take("n")) {
            return n_;
        }
        Blanks();
        unsigned long value = 0;
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            value = value * 10 + static_cast<unsigned long>(text_[at_++] - '0');
        }
        failed_ = failed_ || at_ == start;
        return value;
    }

    void Blanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) {
            ++at_;
        }
    }

    // Whether `op` comes next, taken if so; "!" is not the start of "!=",
    // nor "<" of "<=".
    bool Take(std::string_view op) {
        Blanks();
        if (text_.substr(at_, op.size()) != op) {
            return false;
        }
        const char next = at_ + op.size() < text_.size() ? text_[at_ + op.size()] : '\0';
        if (op.size() == 1 && next == '=' && (op == "!" || op == "<" || op == ">" || op == "=")) {
            return false;
        }
        at_ += op.size();
        return true;
    }

    std::string_view text_;
    unsigned long n_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace

unsigned long PluralIndex(std::string_view expression, unsigned long n) {
    return PluralExpression(expression, n).Value();
}

MessageCatalogue::MessageCatalogue(std::string_view mo) : mo_(mo) {
    if (mo_.size() < 20) {
        mo_ = {};
        return;
    }
    swapped_ = Word(0) == kSwappedMagic;
    if (Word(0) != kMagic && !swapped_) {
        mo_ = {};
        return;
    }
    count_ = Word(8);
    originals_ = Word(12);
    translations_ = Word(16);
    for (std::uint32_t table : {originals_, translations_}) {
        if (table > mo_.size() || count_ > (mo_.size() - table) / 8) {
            mo_ = {};
            count_ = 0;
            return;
        }
    }
    const std::optional<std::string_view> header = Lookup("");
    constexpr std::string_view kPlural = "plural=";
    const std::size_t plural = header ? header->find(kPlural) : std::string_view::npos;
    if (plural != std::string_view::npos) {
        plural_ = header->substr(plural + kPlural.size());
        plural_ = plural_.substr(0, plural_.find_first_of(";\n"));
    }
}

std::uint32_t MessageCatalogue::Word(std::uint32_t offset) const {
    if (offset > mo_.size() || mo_.size() - offset < 4) {
        return 0;
    }
    unsigned char bytes[4];
    std::memcpy(bytes, mo_.data() + offset, 4);
    return swapped_ ? (std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                       std::uint32_t{bytes[2]} << 8 | bytes[3])
                    : (std::uint32_t{bytes[3]} << 24 | std::uint32_t{bytes[2]} << 16 |
                       std::uint32_t{bytes[1]} << 8 | bytes[0]);
}

// The table's entries are a length and an offset each; a string outside
// the bytes reads as empty.
std::string_view MessageCatalogue::Entry(std::uint32_t table, std::uint32_t index) const {
    const std::uint32_t length = Word(table + 8 * index);
    const std::uint32_t offset = Word(table + 8 * index + 4);
    if (offset > mo_.size() || length >= mo_.size() - offset || mo_[offset + length] != '\0') {
        return {};
    }
    return mo_.substr(offset, length);
}

std::string_view MessageCatalogue::Original(std::uint32_t index) const {
    return Entry(originals_, index);
}

std::string_view MessageCatalogue::Translation(std::uint32_t index) const {
    return Entry(translations_, index);
}

// msgfmt sorts the originals by their bytes; a plural message's original
// is its singular, a NUL, then its plural.
std::optional<std::string_view> MessageCatalogue::Lookup(std::string_view key) const {
    std::uint32_t low = 0;
    std::uint32_t high = count_;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const std::string_view original = Original(middle);
        const std::string_view first = original.substr(0, original.find('\0'));
        if (first == key) {
            return Translation(middle);
        }
        if (first < key) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return std::nullopt;
}

const char* MessageCatalogue::Find(const char* english) const {
    const std::optional<std::string_view> found = Lookup(english);
    return found && !found->empty() ? found->data() : english;
}

const char* MessageCatalogue::FindCount(const char* one, const char* many,
                                        unsigned long count) const {
    const std::optional<std::string_view> found = Lookup(one);
    if (!found || found->empty()) {
        return count == 1 ? one : many;
    }
    // The forms follow one another, each ended by a NUL.
    unsigned long form = PluralIndex(plural_, count);
    std::size_t at = 0;
    for (; form > 0; --form) {
        const std::size_t end = found->find('\0', at);
        if (end == std::string_view::npos || end + 1 >= found->size()) {
            return found->data();  // fewer forms than the expression names
        }
        at = end + 1;
    }
    return found->data() + at;
}

}  // namespace System
