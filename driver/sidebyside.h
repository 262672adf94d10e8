// Compiling several maps at the same time while the console reads as if they
// were compiled one after another.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

namespace zel {

// Marks an item that waits for no earlier one.
inline constexpr size_t noPredecessor = static_cast<size_t>(-1);

// Runs `work(i)` for every i below `count` on `threads` threads, taking the
// items in order. Each item's console output is printed whole and in the
// items' order; the item being printed shows its lines as they come. An item
// starts only once `predecessor[i]` (an earlier item, or noPredecessor) is
// complete: two maps that write the same file must not overlap.
void runSideBySide(size_t count, size_t threads, std::span<const size_t> predecessor,
                   const std::function<void(size_t)>& work);

} // namespace zel
