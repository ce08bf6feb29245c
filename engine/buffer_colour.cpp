// Buffer commands ("Move to Buffer", "Clear Texture", "Connect Buffer") and
// colour adjustments ("Gamma Correction", "Brightness", "Inversion",
// "Contrast", "HSV").
#include "engine/commands.h"
#include "engine/executor.h"

namespace mottler {

void moveToBuffer(TextureEngine&, const ProgramEntry&) {}
void clearTexture(TextureEngine&, const ProgramEntry&) {}
void connectBuffer(TextureEngine&, const ProgramEntry&) {}
void gammaCorrection(TextureEngine&, const ProgramEntry&) {}
void brightness(TextureEngine&, const ProgramEntry&) {}
void inversion(TextureEngine&, const ProgramEntry&) {}
void contrast(TextureEngine&, const ProgramEntry&) {}
void hsv(TextureEngine&, const ProgramEntry&) {}

}  // namespace mottler
