#pragma once
// The realms, maps and zones of the demo database with the scenes of the zone images.
#include "demo_content.h"
#include "demo_random.h"

namespace sample {

// Fills db.mapIndex and db.scenes for options.zones zones (options already clamped).
void buildWorld(const SampleOptions& options, DemoRandom& rng, DemoDatabase& db);

// A name made of two syllables, such as "Isenwyn".
std::string syllableName(DemoRandom& rng);

} // namespace sample
