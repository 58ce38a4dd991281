// A fluid that behaves like a fluid: the scripted fluid of the tests, with its snapshot
// and every flash answered by the model (model_flash.h) instead of by a script. It counts
// references, flashes and messages as the scripted fluid does.
//
//   auto fluid = MakeModelFluid(LightNaphtha());
//   FluidInstallation installed(*GetPropertyCalculator(), *fluid);
//   double rvp = astm_d4953_91::CalculatePhase(GetPropertyCalculator(), FEED, 37.78, 0.0);
#pragma once

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "testsupport/model_fluid/model_flash.h"
#include "testsupport/scripted_fluid.h"

namespace volacor::model {

// A stream of the model's components: names with their mole fractions (normalised on use).
struct ModelStream {
    std::vector<std::pair<std::string_view, double>> feed;
    double temperature_C = 15.0;
    double pressure_kPa = 101.325;
    double molarFlow_kmol_per_h = 100.0;
};

// The stream's components, in its order; an unknown name is left out.
std::vector<const ModelComponent*> StreamComponents(const ModelStream& stream);
// The stream's mole fractions, in its order, normalised.
std::vector<double> StreamFeed(const ModelStream& stream);

// A scripted fluid that hands out the stream flashed at its conditions (phase
// compositions and presence from the model) and answers every flash with ModelFlash.
// Null when the stream cannot be flashed at its own conditions.
std::unique_ptr<testsupport::ScriptedFluid> MakeModelFluid(const ModelStream& stream);

// The flash handler alone, for a scripted fluid set up by hand.
testsupport::ScriptedFluid::FlashHandler ModelFlashHandler(std::vector<const ModelComponent*> components);

// Streams the tests and benchmarks share. Each lists nitrogen, oxygen and water among its
// components (at zero when the stream holds none), so every air-saturation method can run.
ModelStream LightNaphtha();
ModelStream StabilisedCondensate();
// The condensate with waterMoleFraction of water, the rest scaled down.
ModelStream CondensateWithWater(double waterMoleFraction = 0.05);

}  // namespace volacor::model
