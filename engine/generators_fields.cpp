// Generators that fill the whole texture with a field of colour:
// "Plasma", "Sine Plasma", "Perlin Noise", "Noise" and "Enviroument Map".
#include <algorithm>

#include "engine/commands.h"

namespace mottler {

int randomChannel(RandomState& random, int mask) {
  return std::max(0, random.next() % 255 + mask - 255);
}

void plasma(TextureEngine&, const ProgramEntry&) {}
void sinePlasma(TextureEngine&, const ProgramEntry&) {}
void perlinNoise(TextureEngine&, const ProgramEntry&) {}
void noise(TextureEngine&, const ProgramEntry&) {}
void environmentMap(TextureEngine&, const ProgramEntry&) {}

}  // namespace mottler
