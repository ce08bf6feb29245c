// Neighbourhood filters: "Blur", "Unsharp Mask", "Bump Mapping", "Maximum",
// "Minimum" and "Median".
#include "engine/commands.h"

namespace mottler {

void blur(TextureEngine&, const ProgramEntry&) {}
void unsharpMask(TextureEngine&, const ProgramEntry&) {}
void bumpMapping(TextureEngine&, const ProgramEntry&) {}
void maximum(TextureEngine&, const ProgramEntry&) {}
void minimum(TextureEngine&, const ProgramEntry&) {}
void median(TextureEngine&, const ProgramEntry&) {}

}  // namespace mottler
