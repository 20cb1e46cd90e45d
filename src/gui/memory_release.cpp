#include "gui/memory_release.h"

#include <cstdlib>  // says which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvessa::gui {

void releaseFreedMemory() {
#if defined(__GLIBC__)
    // glibc keeps freed blocks in its arenas, the worker threads' ones included.
    malloc_trim(0);
#endif
}

}  // namespace orvessa::gui
