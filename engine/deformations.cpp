// Deformations that move the texture's pixels: "Twirl", "Sine Distortion",
// "Distortion by Buffer", "Divider", "Carpet" and "Glass".
#include "engine/commands.h"

namespace mottler {

void twirl(TextureEngine&, const ProgramEntry&) {}
void sineDistortion(TextureEngine&, const ProgramEntry&) {}
void distortionByBuffer(TextureEngine&, const ProgramEntry&) {}
void divider(TextureEngine&, const ProgramEntry&) {}
void carpet(TextureEngine&, const ProgramEntry&) {}
void glass(TextureEngine&, const ProgramEntry&) {}

}  // namespace mottler
