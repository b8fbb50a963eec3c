#pragma once

namespace quillora {

// Hands memory that the program has freed back to the system. The allocator keeps freed memory
// for reuse, so after a large passing job (a backup of a big store) the app would otherwise go
// on holding its peak; call it once such a job is done. Cheap when there is little to return.
void returnFreedMemory();

} // namespace quillora
