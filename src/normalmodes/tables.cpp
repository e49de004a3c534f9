#include "normalmodes/tables.hpp"

#include <array>

namespace veka::nm {
namespace {

// Covalent radii (A), index = atomic number; 91-100 share one value for the actinides.
constexpr std::array<double, 101> kRadius = {
    0.0,  0.32, 0.93, 1.23, 0.90, 0.82, 0.77, 0.75, 0.73, 0.72, 0.71, 1.54, 1.36, 1.18, 1.11,
    1.06, 1.02, 0.99, 0.98, 2.03, 1.74, 1.44, 1.32, 1.22, 1.18, 1.17, 1.17, 1.16, 1.15, 1.17,
    1.25, 1.26, 1.22, 1.20, 1.16, 1.16, 1.12, 2.16, 1.91, 1.62, 1.45, 1.34, 1.30, 1.27, 1.25,
    1.25, 1.28, 1.34, 1.48, 1.44, 1.41, 1.40, 1.36, 1.33, 1.31, 2.35, 1.98, 1.69, 1.65, 1.65,
    1.64, 1.63, 1.62, 1.85, 1.61, 1.59, 1.59, 1.58, 1.57, 1.56, 1.56, 1.56, 1.44, 1.34, 1.30,
    1.28, 1.26, 1.27, 1.30, 1.34, 1.49, 1.48, 1.47, 1.46, 1.46, 1.45, 1.45, 1.50, 1.50, 1.60,
    1.65, 1.70, 1.70, 1.70, 1.70, 1.70, 1.70, 1.70, 1.70, 1.70, 1.70};

}  // namespace

double covalentRadius(int z) {
  return z >= 0 && z < static_cast<int>(kRadius.size()) ? kRadius[static_cast<std::size_t>(z)]
                                                        : kRadius[0];
}

}  // namespace veka::nm
