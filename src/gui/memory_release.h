#pragma once

namespace orvessa::gui {

// Hands memory the program has freed back to the system, where the allocator keeps it
// otherwise: after a large import, not in the course of things.
void releaseFreedMemory();

}  // namespace orvessa::gui
