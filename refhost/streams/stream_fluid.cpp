#include "refhost/streams/stream_fluid.h"

#include <algorithm>
#include <stdexcept>

#include "refhost/streams/standard_liquid.h"
#include "thermo/constants.h"
#include "thermo/petroleum_fraction.h"

namespace refhost {
namespace {

// Listed, in this order, when the stream lacks them: the air-saturation methods need all three.
constexpr int kAirAndWaterHostIds[] = {thermo::kNitrogenHostId, thermo::kOxygenHostId, thermo::kWaterHostId};

}  // namespace

std::vector<double> MoleFractions(const StreamDefinition& definition, const std::vector<thermo::Component>& components) {
    const std::size_t n = definition.components.size() + definition.cuts.size();
    if (components.size() < n) throw std::invalid_argument("stream: fewer engine components than the stream lists");
    std::vector<double> z(n);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double fraction =
            i < definition.components.size() ? definition.components[i].fraction : definition.cuts[i - definition.components.size()].fraction;
        const thermo::Component& c = components[i];
        switch (definition.basis) {
            case CompositionBasis::Mole: z[i] = fraction; break;
            case CompositionBasis::Mass: z[i] = fraction / c.mw_g_per_mol; break;
            case CompositionBasis::LiquidVolume: z[i] = fraction / StandardLiquidVolume_m3_per_kmol(c); break;
        }
        sum += z[i];
    }
    if (!(sum > 0)) throw std::invalid_argument("stream '" + definition.name + "': every fraction is 0");
    for (double& v : z) v /= sum;
    return z;
}

StreamFluid BuildStreamFluid(const StreamDefinition& definition, thermo::EquationOfState eos, const StreamFluidOptions& options) {
    const thermo::ComponentDatabase& database =
        options.database ? *options.database : thermo::ComponentDatabase::builtin();
    if (definition.components.empty() && definition.cuts.empty())
        throw std::invalid_argument("stream '" + definition.name + "' lists no components and no cuts");
    std::vector<thermo::Component> components;
    components.reserve(definition.components.size() + definition.cuts.size() + std::size(kAirAndWaterHostIds));
    for (const auto& c : definition.components) components.push_back(database.find_by_host_id(c.host_id));
    std::vector<thermo::PetroleumCut> cuts;
    for (const auto& cut : definition.cuts)
        cuts.push_back({cut.name, cut.nbp_C + thermo::constants::celsius_offset_K, cut.sg, cut.mw_g_per_mol});
    for (auto& pseudo : thermo::make_pseudo_components(cuts)) components.push_back(std::move(pseudo));

    std::vector<double> z = MoleFractions(definition, components);
    if (options.add_air_and_water) {
        for (int id : kAirAndWaterHostIds) {
            const bool listed = std::any_of(components.begin(), components.end(),
                                            [id](const thermo::Component& c) { return c.host_id == id; });
            if (listed) continue;
            components.push_back(database.find_by_host_id(id));
            z.push_back(0.0);
        }
    }
    return {thermo::Fluid(std::move(components), eos, database), std::move(z)};
}

}  // namespace refhost
