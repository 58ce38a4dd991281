// From a stream's description to the engine's fluid: the three bases, cuts, the air and
// water that three methods need, and the liquid densities behind the volume basis.
#include "refhost/streams/stream_fluid.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

#include "refhost/streams/standard_liquid.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

const thermo::ComponentDatabase& Table() { return thermo::ComponentDatabase::builtin(); }

TEST(StreamFluid, BasesTurnIntoMoleFractions) {
    // Half and half n-pentane and n-decane; molar masses 72.1488 and 142.2817 g/mol,
    // densities at 15 °C 630.3 and 734.6 kg/m³ (the component table).
    const struct {
        const char* basis;
        double pentane;
    } cases[] = {
        {"mole", 0.5},
        {"mass", (0.5 / 72.1488) / (0.5 / 72.1488 + 0.5 / 142.2817)},
        {"liquid_volume", (0.5 * 630.3 / 72.1488) / (0.5 * 630.3 / 72.1488 + 0.5 * 734.6 / 142.2817)},
    };
    for (const auto& c : cases) {
        const StreamDefinition definition = ParseStreamText(
            std::string(R"({"basis": ")") + c.basis + R"(", "components": {"n-pentane": 0.5, "n-decane": 0.5}})",
            "b.json");
        const StreamFluid stream =
            BuildStreamFluid(definition, thermo::EquationOfState::PengRobinson, {.add_air_and_water = false});
        ASSERT_EQ(stream.z.size(), 2u);
        EXPECT_NEAR(stream.z[0], c.pentane, 1e-12) << c.basis;
        EXPECT_NEAR(stream.z[1], 1 - c.pentane, 1e-12) << c.basis;
    }
}

TEST(StreamFluid, NormalisesFractionsThatDoNotAddUpToOne) {
    const StreamDefinition definition = ParseStreamText(R"({"components": {"nC4": 0.2, "nC5": 0.6}})", "n.json");
    const StreamFluid stream =
        BuildStreamFluid(definition, thermo::EquationOfState::PengRobinson, {.add_air_and_water = false});
    EXPECT_NEAR(stream.z[0], 0.25, 1e-15);
    EXPECT_NEAR(stream.z[1], 0.75, 1e-15);
}

TEST(StreamFluid, CutsBecomePseudoComponentsAfterTheNamedOnes) {
    const StreamDefinition definition = ParseStreamText(R"({"basis": "mass", "components": {"n-pentane": 0.5},
        "cuts": [{"name": "C7", "fraction": 0.25, "nbp_C": 92, "sg": 0.738, "mw": 96},
                 {"name": "C9", "fraction": 0.25, "nbp_C": 142, "sg": 0.764}]})",
                                            "cuts.json");
    const StreamFluid stream =
        BuildStreamFluid(definition, thermo::EquationOfState::PengRobinson, {.add_air_and_water = false});
    ASSERT_EQ(stream.fluid.size(), 3u);
    const thermo::Component& c7 = stream.fluid.component(1);
    const thermo::Component& c9 = stream.fluid.component(2);
    EXPECT_EQ(c7.name, "C7");
    EXPECT_EQ(c7.host_id, thermo::kFirstPseudoHostId);
    EXPECT_EQ(c9.host_id, thermo::kFirstPseudoHostId + 1);
    EXPECT_EQ(c7.cas, 0);
    EXPECT_EQ(c7.mw_g_per_mol, 96.0);
    EXPECT_NEAR(c7.tb_K, 365.15, 1e-12);
    EXPECT_GT(c9.mw_g_per_mol, 110.0) << "estimated from nbp and sg";
    EXPECT_LT(c9.mw_g_per_mol, 135.0);
    const double moles[] = {0.5 / 72.1488, 0.25 / 96.0, 0.25 / c9.mw_g_per_mol};
    const double total = moles[0] + moles[1] + moles[2];
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(stream.z[i], moles[i] / total, 1e-12);
    // A cut's liquid density is its specific gravity times water at 60 °F.
    EXPECT_NEAR(StandardLiquidDensity_kg_per_m3(c7), 0.738 * 999.016, 1e-9);
}

TEST(StreamFluid, ListsNitrogenOxygenAndWaterAtZeroUnlessToldNot) {
    const struct {
        const char* components;
        bool add;
        std::vector<std::string> names;
    } cases[] = {
        {R"({"nC5": 1})", true, {"n-pentane", "nitrogen", "oxygen", "water"}},
        {R"({"water": 0.1, "nC5": 0.9})", true, {"water", "n-pentane", "nitrogen", "oxygen"}},
        {R"({"N2": 0.01, "O2": 0.01, "H2O": 0.01, "nC5": 0.97})", true, {"nitrogen", "oxygen", "water", "n-pentane"}},
        {R"({"nC5": 1})", false, {"n-pentane"}},
    };
    for (const auto& c : cases) {
        const StreamDefinition definition = ParseStreamText(std::string(R"({"components": )") + c.components + "}", "air.json");
        const StreamFluid stream =
            BuildStreamFluid(definition, thermo::EquationOfState::PengRobinson, {.add_air_and_water = c.add});
        ASSERT_EQ(stream.fluid.size(), c.names.size()) << c.components;
        ASSERT_EQ(stream.z.size(), c.names.size()) << c.components;
        for (std::size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_EQ(stream.fluid.component(i).name, c.names[i]) << c.components;
            if (i >= definition.components.size()) {
                EXPECT_EQ(stream.z[i], 0.0) << c.components;
            }
        }
        EXPECT_NEAR(std::accumulate(stream.z.begin(), stream.z.end(), 0.0), 1.0, 1e-15);
    }
}

TEST(StreamFluid, EquationOfStateAsAsked) {
    const StreamDefinition definition = ParseStreamText(R"({"components": {"nC5": 1}})", "e.json");
    EXPECT_EQ(BuildStreamFluid(definition).fluid.eos(), thermo::EquationOfState::PengRobinson);
    EXPECT_EQ(BuildStreamFluid(definition, thermo::EquationOfState::SoaveRedlichKwong).fluid.eos(),
              thermo::EquationOfState::SoaveRedlichKwong);
}

TEST(StreamFluid, RefusesASpecNoReaderWouldGive) {
    StreamDefinition empty;
    EXPECT_THROW(BuildStreamFluid(empty), std::invalid_argument);
    StreamDefinition zeros = ParseStreamText(R"({"components": {"nC5": 1}})", "z.json");
    zeros.components[0].fraction = 0;
    EXPECT_THROW(BuildStreamFluid(zeros), std::invalid_argument);
}

TEST(StandardLiquid, GasesTakeTheirLiquidAtTheNormalBoilingPoint) {
    // Saturated liquid at the normal boiling point, NIST Chemistry WebBook (Lemmon,
    // McLinden & Friend): methane 422.4, nitrogen 806.1, oxygen 1141.2 kg/m³.
    const struct {
        const char* name;
        double density;
    } cases[] = {{"methane", 422.4}, {"nitrogen", 806.1}, {"oxygen", 1141.2}};
    for (const auto& c : cases)
        EXPECT_NEAR(StandardLiquidDensity_kg_per_m3(Table().find(c.name)), c.density, 0.015 * c.density) << c.name;
    // Liquids at 15 °C keep the table's value.
    EXPECT_EQ(StandardLiquidDensity_kg_per_m3(Table().find("toluene")), 872.0);
    EXPECT_NEAR(StandardLiquidVolume_m3_per_kmol(Table().find("toluene")), 92.1384 / 872.0, 1e-15);
}

TEST(ExampleStreams, AllReadAndBuild) {
    const struct {
        const char* file;
        std::size_t components;  // in the file
        std::size_t cuts;
    } cases[] = {
        {"summer-gasoline", 25, 0}, {"light-naphtha", 14, 0},   {"stabilised-condensate", 12, 0},
        {"wet-condensate", 13, 0},  {"light-crude-cuts", 6, 9}, {"n-pentane", 1, 0},
    };
    for (const auto& c : cases) {
        const StreamDefinition definition = ReadStreamFile(std::string(VOLACOR_EXAMPLES_DIR) + "/" + c.file + ".json");
        EXPECT_TRUE(definition.warnings.empty()) << c.file;
        EXPECT_EQ(definition.components.size(), c.components) << c.file;
        EXPECT_EQ(definition.cuts.size(), c.cuts) << c.file;
        const StreamFluid stream = BuildStreamFluid(definition);
        EXPECT_GE(stream.fluid.size(), c.components + c.cuts) << c.file;
        EXPECT_LE(stream.fluid.size(), c.components + c.cuts + 3) << c.file;
    }
    const StreamFluid wet =
        BuildStreamFluid(ReadStreamFile(std::string(VOLACOR_EXAMPLES_DIR) + "/wet-condensate.json"));
    ASSERT_GE(wet.fluid.water_index(), 0);
    EXPECT_NEAR(wet.z[static_cast<std::size_t>(wet.fluid.water_index())], 0.05, 1e-12);
}

}  // namespace
}  // namespace refhost
