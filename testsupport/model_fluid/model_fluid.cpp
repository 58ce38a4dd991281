#include "testsupport/model_fluid/model_fluid.h"

namespace volacor::model {

std::vector<const ModelComponent*> StreamComponents(const ModelStream& stream) {
    std::vector<const ModelComponent*> components;
    for (const auto& [name, fraction] : stream.feed)
        if (const ModelComponent* c = FindComponent(name)) components.push_back(c);
    return components;
}

std::vector<double> StreamFeed(const ModelStream& stream) {
    std::vector<double> feed;
    double sum = 0.0;
    for (const auto& [name, fraction] : stream.feed) {
        if (!FindComponent(name)) continue;
        feed.push_back(fraction);
        sum += fraction;
    }
    if (sum > 0.0)
        for (double& x : feed) x /= sum;
    return feed;
}

testsupport::ScriptedFluid::FlashHandler ModelFlashHandler(std::vector<const ModelComponent*> components) {
    return [components = std::move(components)](FluidSnapshot& record) -> HRESULT {
        return ModelFlash(components, record) ? S_OK : E_FAIL;
    };
}

std::unique_ptr<testsupport::ScriptedFluid> MakeModelFluid(const ModelStream& stream) {
    const std::vector<const ModelComponent*> components = StreamComponents(stream);
    const std::vector<double> feed = StreamFeed(stream);
    Equilibrium eq;
    if (!Equilibrate(components, feed, stream.temperature_C + KelvinOffset, stream.pressure_kPa, eq))
        return nullptr;

    std::vector<testsupport::HostComponent> hostComponents;
    for (const ModelComponent* c : components)
        hostComponents.push_back({c->componentId, c->casNumber, c->molecularWeight});
    auto fluid = std::make_unique<testsupport::ScriptedFluid>(std::move(hostComponents));

    std::vector<double> water(components.size(), 0.0);
    for (size_t i = 0; i < components.size(); ++i)
        if (components[i]->isWater) water[i] = 1.0;
    fluid->Conditions(stream.temperature_C, stream.pressure_kPa)
        .Feed(feed)
        .Phase(VAP, eq.vapour, eq.vapourFraction > 0.0)
        .Phase(LIQ1, eq.liquid, eq.liquidFraction > 0.0)
        .Phase(LIQ2, water, eq.waterFraction > 0.0)
        .Phase(SOLID, std::vector<double>(components.size(), 0.0), false)
        .MolarFlow(stream.molarFlow_kmol_per_h)
        .OnFlash(ModelFlashHandler(components));
    return fluid;
}

ModelStream LightNaphtha() {
    return {{{"nitrogen", 0.0},
             {"oxygen", 0.0},
             {"water", 0.0},
             {"propane", 0.005},
             {"isobutane", 0.03},
             {"n-butane", 0.07},
             {"n-pentane", 0.35},
             {"n-hexane", 0.35},
             {"n-heptane", 0.15},
             {"n-octane", 0.045}}};
}

ModelStream StabilisedCondensate() {
    return {{{"nitrogen", 0.0},
             {"oxygen", 0.0},
             {"water", 0.0},
             {"n-butane", 0.02},
             {"n-pentane", 0.15},
             {"n-hexane", 0.25},
             {"n-heptane", 0.30},
             {"n-octane", 0.28}}};
}

ModelStream CondensateWithWater(double waterMoleFraction) {
    ModelStream stream = StabilisedCondensate();
    for (auto& [name, fraction] : stream.feed) {
        if (name == "water")
            fraction = waterMoleFraction;
        else
            fraction *= 1.0 - waterMoleFraction;
    }
    return stream;
}

}  // namespace volacor::model
