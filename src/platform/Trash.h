#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Emptying the user's trash, a start-up chore.
namespace Trash {

// Asked before anything is removed, with the number of items the trash
// holds; false keeps everything as it was.
using Question = std::function<bool(std::size_t items)>;

// Empties every trash of the user, trees of any depth included. An item that
// cannot be removed keeps its record, so it can still be restored; nothing is
// reported.
// Linux: the home trash and the trash folders of the mounted file systems
// (freedesktop Trash specification). With `ask`, an empty trash asks nothing
// and a trash with items is emptied only when ask agrees.
// Windows: the recycle bins of all drives. With `ask` the shell asks its own
// question, owned by ownerWindow; without it the shell shows no question, no
// progress and plays no sound. `ask` itself is not called.
void Empty(const Question& ask, std::uintptr_t ownerWindow);

} // namespace Trash
