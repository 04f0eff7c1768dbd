// How a list's choice changes, whatever toolkit draws the list: the new
// entry is chosen and the list's change event raised; an event that fails
// puts the choice and the highlight back on the entry chosen before and
// passes its error on.
#pragma once

#include <utility>

namespace Window {

template <typename OnChange, typename Highlight>
void ChangeChoice(int& chosen, int index, const OnChange& onChange, const Highlight& highlight) {
    const int previous = std::exchange(chosen, index);
    try {
        if (onChange) {
            onChange();
        }
    } catch (...) {
        chosen = previous;
        highlight(previous);
        throw;
    }
}

}  // namespace Window
