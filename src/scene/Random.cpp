#include "scene/Random.h"

#include <cstdlib>

namespace {

RandomSource currentSource = standardRandom;

} // namespace

int standardRandom() {
    // Keep the high bits: the divisor is 1 where RAND_MAX is already 32767.
    constexpr unsigned divisor = static_cast<unsigned>(RAND_MAX) / (RandomMax + 1u) + 1u;
    return static_cast<int>(static_cast<unsigned>(std::rand()) / divisor);
}

int nextRandom() {
    return currentSource();
}

RandomSource setRandomSource(RandomSource source) {
    const RandomSource previous = currentSource;
    currentSource = source;
    return previous;
}
