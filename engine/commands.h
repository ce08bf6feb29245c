// The procedures of the 32 commands, one family per source file.  The
// executor calls them with the entry; each trusts the catalogue ranges only
// as far as its own safety allows (see the individual files).
#pragma once

#include "engine/engine_state.h"

namespace mottler {

// generators_fields.cpp
void plasma(TextureEngine& e, const ProgramEntry& entry);
void sinePlasma(TextureEngine& e, const ProgramEntry& entry);
void perlinNoise(TextureEngine& e, const ProgramEntry& entry);
void noise(TextureEngine& e, const ProgramEntry& entry);
void environmentMap(TextureEngine& e, const ProgramEntry& entry);
// The random colour-channel rule shared by the generators.
int randomChannel(RandomState& random, int mask);

// generators_shapes.cpp
void blobs(TextureEngine& e, const ProgramEntry& entry);
void points(TextureEngine& e, const ProgramEntry& entry);
void lines(TextureEngine& e, const ProgramEntry& entry);
void circles(TextureEngine& e, const ProgramEntry& entry);
void rectangles(TextureEngine& e, const ProgramEntry& entry);
void worms(TextureEngine& e, const ProgramEntry& entry);
void splines(TextureEngine& e, const ProgramEntry& entry);

// deformations.cpp
void twirl(TextureEngine& e, const ProgramEntry& entry);
void sineDistortion(TextureEngine& e, const ProgramEntry& entry);
void distortionByBuffer(TextureEngine& e, const ProgramEntry& entry);
void divider(TextureEngine& e, const ProgramEntry& entry);
void carpet(TextureEngine& e, const ProgramEntry& entry);
void glass(TextureEngine& e, const ProgramEntry& entry);

// filters.cpp
void blur(TextureEngine& e, const ProgramEntry& entry);
void unsharpMask(TextureEngine& e, const ProgramEntry& entry);
void bumpMapping(TextureEngine& e, const ProgramEntry& entry);
void maximum(TextureEngine& e, const ProgramEntry& entry);
void minimum(TextureEngine& e, const ProgramEntry& entry);
void median(TextureEngine& e, const ProgramEntry& entry);

// buffer_colour.cpp
void moveToBuffer(TextureEngine& e, const ProgramEntry& entry);
void clearTexture(TextureEngine& e, const ProgramEntry& entry);
void connectBuffer(TextureEngine& e, const ProgramEntry& entry);
void gammaCorrection(TextureEngine& e, const ProgramEntry& entry);
void brightness(TextureEngine& e, const ProgramEntry& entry);
void inversion(TextureEngine& e, const ProgramEntry& entry);
void contrast(TextureEngine& e, const ProgramEntry& entry);
void hsv(TextureEngine& e, const ProgramEntry& entry);

}  // namespace mottler
