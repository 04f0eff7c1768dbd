// How a list's keyboard goes on past an entry whose event failed, whatever
// toolkit draws the list: the highlight goes back to the entry whose event
// last completed, while the keyboard stays on the entry that failed, so the
// next key moves on from there instead of onto the same entry again.
#pragma once

#include <optional>
#include <utility>

namespace Window {

class KeyboardPosition {
  public:
    // The list shows `row` highlighted (-1 for none), the keyboard there
    // too: it was filled, or the event for `row` completed.
    void Settle(int row) {
        shown_ = row;
        failed_.reset();
        ++events_;
    }
    // The event for `row` failed: the highlight goes back to Shown(), the
    // keyboard stays on `row`.
    void Fail(int row) {
        failed_ = row;
        ++events_;
    }
    // The row the highlight shows once an event is over.
    int Shown() const { return shown_; }
    // Whether the keyboard is on an entry that failed.
    bool Away() const { return failed_.has_value(); }
    // Forgets the entry that failed: the user moved on some other way.
    void Return() { failed_.reset(); }

    // Handles a key with `handle`, the list's own handling, which moves on
    // from the highlighted row and may raise the event. After a failure the
    // keyboard's row is highlighted first (`highlight` raises no event), so
    // the key goes on from there; when the key raised no event (it moved
    // nowhere new), the highlight goes back to Shown().
    template <typename Highlight, typename Handle>
    void Key(const Highlight& highlight, const Handle& handle) {
        if (!failed_) {
            handle();
            return;
        }
        highlight(*std::exchange(failed_, std::nullopt));
        const unsigned before = events_;
        handle();
        if (events_ == before) {
            highlight(shown_);
        }
    }

    // Events raised so far (Settle and Fail), to tell whether some input
    // raised one.
    unsigned Events() const { return events_; }

  private:
    int shown_ = -1;
    std::optional<int> failed_;
    unsigned events_ = 0;
};

}  // namespace Window
