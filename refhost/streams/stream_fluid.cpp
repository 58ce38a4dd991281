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

std::vector<double> MoleFractions(const StreamSpec& spec, const std::vector<thermo::Component>& components) {
    const std::size_t n = spec.components.size() + spec.cuts.size();
    if (components.size() < n) throw std::invalid_argument("stream: fewer engine components than the stream lists");
    std::vector<double> z(n);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double fraction =
            i < spec.components.size() ? spec.components[i].fraction : spec.cuts[i - spec.components.size()].fraction;
        const thermo::Component& c = components[i];
        switch (spec.basis) {
            case CompositionBasis::Mole: z[i] = fraction; break;
            case CompositionBasis::Mass: z[i] = fraction / c.mw_g_per_mol; break;
            case CompositionBasis::LiquidVolume: z[i] = fraction / StandardLiquidVolume_m3_per_kmol(c); break;
        }
        sum += z[i];
    }
    if (!(sum > 0)) throw std::invalid_argument("stream '" + spec.name + "': every fraction is 0");
    for (double& v : z) v /= sum;
    return z;
}

StreamFluid BuildStreamFluid(const StreamSpec& spec, thermo::EquationOfState eos, const StreamFluidOptions& options) {
    const thermo::ComponentDatabase& database =
        options.database ? *options.database : thermo::ComponentDatabase::builtin();
    if (spec.components.empty() && spec.cuts.empty())
        throw std::invalid_argument("stream '" + spec.name + "' lists no components and no cuts");
    std::vector<thermo::Component> components;
    components.reserve(spec.components.size() + spec.cuts.size() + std::size(kAirAndWaterHostIds));
    for (const auto& c : spec.components) components.push_back(database.find_by_host_id(c.host_id));
    std::vector<thermo::PetroleumCut> cuts;
    for (const auto& cut : spec.cuts)
        cuts.push_back({cut.name, cut.nbp_C + thermo::constants::celsius_offset_K, cut.sg, cut.mw_g_per_mol});
    for (auto& pseudo : thermo::make_pseudo_components(cuts)) components.push_back(std::move(pseudo));

    std::vector<double> z = MoleFractions(spec, components);
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
