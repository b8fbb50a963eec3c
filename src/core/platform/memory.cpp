#include "platform/memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quillora {

void returnFreedMemory() {
#if defined(__GLIBC__)
    (void)malloc_trim(0); // every arena, the worker threads' included
#endif
}

} // namespace quillora
