#pragma once

// For the octree's own sources only (internal/: no user of the library sees it).
// Which octants of a node a box reaches, as the descents compute it.

#include <array>

#if defined(__SSE2__) && !defined(BRENNOC_SCALAR_OCTANTS)
#include <xmmintrin.h>
#define BRENNOC_SSE_OCTANTS 1
#endif

namespace octree {

// The octants a box overlaps, from which halves of the node it overlaps on
// each axis: bits 0 to 2 say the lower half in x, y and z, bits 3 to 5 the
// upper half. In an octant's index k, bit 2 picks the upper half in x, bit 1
// in y and bit 0 in z.
inline constexpr std::array<unsigned char, 64> makeOctantMasks() {
    std::array<unsigned char, 64> masks{};
    const unsigned lowerHalf[3] = {0x0F, 0x33, 0x55};
    for (unsigned halves = 0; halves < 64; ++halves) {
        unsigned mask = 0xFF;
        for (int axis = 0; axis < 3; ++axis) {
            const bool lower = (halves >> axis) & 1;
            const bool upper = (halves >> (3 + axis)) & 1;
            mask &= (lower ? lowerHalf[axis] : 0u) | (upper ? ~lowerHalf[axis] & 0xFFu : 0u);
        }
        masks[halves] = static_cast<unsigned char>(mask);
    }
    return masks;
}

inline constexpr std::array<unsigned char, 64> octantMasks = makeOctantMasks();

#if defined(BRENNOC_SSE_OCTANTS)
// The halves (as octantMasks reads them) of a node with corners lo and hi and
// centre mid that the box from dMin to dMax reaches: the three axes at once,
// with the ordered comparisons of OctTree::intervalsOverlap (false on NaN);
// the fourth lanes are left out.
inline unsigned halvesReached(__m128 lo, __m128 mid, __m128 hi, __m128 dMin, __m128 dMax) {
    const __m128 lower = _mm_or_ps(_mm_and_ps(_mm_cmpge_ps(dMin, lo), _mm_cmplt_ps(dMin, mid)),
                                   _mm_and_ps(_mm_cmpge_ps(lo, dMin), _mm_cmplt_ps(lo, dMax)));
    const __m128 upper = _mm_or_ps(_mm_and_ps(_mm_cmpge_ps(dMin, mid), _mm_cmplt_ps(dMin, hi)),
                                   _mm_and_ps(_mm_cmpge_ps(mid, dMin), _mm_cmplt_ps(mid, dMax)));
    return (static_cast<unsigned>(_mm_movemask_ps(lower)) & 7u) |
           ((static_cast<unsigned>(_mm_movemask_ps(upper)) & 7u) << 3);
}
#endif

}  // namespace octree
