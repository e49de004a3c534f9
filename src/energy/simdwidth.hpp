// The vector width of the energy kernels: 8 with AVX-512, 4 with AVX2, else 1 (scalar).
// Every width gives the same results bit for bit; the width only changes the speed.
#pragma once

namespace veka {

// The widest kernel the processor has, not wider than `width` (0: no limit; a request
// between widths takes the narrower one).
int simdWidth(int width);

}  // namespace veka
