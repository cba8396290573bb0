#pragma once

namespace vectorstate {

// Marks the upper halves of the CPU's vector registers clean. Qt's image and
// painting routines use wide vector code and may return with those halves
// dirty; on such processors every later scalar floating-point instruction
// then runs several times slower until the state is cleared. Costs a few
// cycles; does nothing where the instruction set has no such state.
void clearUpper();

} // namespace vectorstate
