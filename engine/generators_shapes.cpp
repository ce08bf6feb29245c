// Generators that scatter shapes over a layer: "Blobs", "Points", "Lines",
// "Circles", "Rectangles", "Worms" and "Splines".
#include "engine/commands.h"

namespace mottler {

void blobs(TextureEngine&, const ProgramEntry&) {}
void points(TextureEngine&, const ProgramEntry&) {}
void lines(TextureEngine&, const ProgramEntry&) {}
void circles(TextureEngine&, const ProgramEntry&) {}
void rectangles(TextureEngine&, const ProgramEntry&) {}
void worms(TextureEngine&, const ProgramEntry&) {}
void splines(TextureEngine&, const ProgramEntry&) {}

}  // namespace mottler
