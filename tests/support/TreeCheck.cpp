#include "tests/support/TreeCheck.h"

std::string firstBrokenInvariant(const OctTree& root) {
    return root.brokenInvariant();
}
