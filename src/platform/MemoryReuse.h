#pragma once

namespace memoryreuse {

// Keeps large blocks that the program frees for its next allocations rather
// than handing them back to the system at once. A plot allocates and frees
// images, pictures and compressors of the same few sizes hundreds of times a
// batch; a block fresh from the system costs a page fault per page touched.
// Call once, first thing in main(). Does nothing where the C library has no
// such setting.
void keepFreedBlocks();

} // namespace memoryreuse
