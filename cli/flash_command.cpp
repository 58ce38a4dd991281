#include "cli/flash_command.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/calculation_options.h"
#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/output_format.h"
#include "host/phase.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/manager/host_flash.h"
#include "refhost/stream/material_stream.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace volacor::cli {
namespace {

constexpr const char* kPhaseTitles[] = {"vapour (VAP)", "light liquid (LIQ1)", "heavy liquid (LIQ2)", "solid (SOLID)"};

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void WriteFlashTable(const refhost::FlashReport& report, const std::string& name, const std::vector<double>& feed) {
    std::printf("%s flashed at %.2f \u00b0C and %.3f kPa\n\n", name.c_str(), report.temperature_C, report.pressure_kPa);
    std::vector<std::size_t> present;
    for (std::size_t p = 0; p < report.phases.size(); ++p) {
        if (report.phases[p].present) present.push_back(p);
    }
    std::size_t width = std::string("molar volume, m3/kmol").size();
    for (const std::string& component : report.componentNames) width = std::max(width, component.size());
    const int column = 20;
    std::printf("%-*s", static_cast<int>(width), "");
    for (std::size_t p : present) std::printf("  %*s", column, kPhaseTitles[p]);
    std::printf("  %*s\n", column, "whole fluid");
    auto row = [&](const char* label, auto value, const std::string& whole) {
        std::printf("%-*s", static_cast<int>(width), label);
        for (std::size_t p : present) std::printf("  %*s", column, value(report.phases[p]).c_str());
        std::printf("  %*s\n", column, whole.c_str());
    };
    row("mole fraction of fluid", [](const refhost::FlashedPhase& phase) { return Fixed(phase.fraction, 6); }, Fixed(1.0, 6));
    row("molar volume, m3/kmol", [](const refhost::FlashedPhase& phase) { return Fixed(phase.molarVolume_m3_kmol, 5); },
        Fixed(report.molarVolume_m3_kmol, 5));
    row("density, kg/m3", [](const refhost::FlashedPhase& phase) { return Fixed(phase.density_kg_m3, 2); },
        Fixed(report.density_kg_m3, 2));
    std::printf("\nmole fractions\n");
    for (std::size_t c = 0; c < report.componentNames.size(); ++c) {
        row(report.componentNames[c].c_str(),
            [c](const refhost::FlashedPhase& phase) { return Fixed(phase.moleFractions[c], 6); },
            c < feed.size() ? Fixed(feed[c], 6) : std::string());
    }
}

nlohmann::ordered_json FlashJson(const refhost::FlashReport& report, const std::string& name) {
    nlohmann::ordered_json phases = nlohmann::ordered_json::object();
    for (std::size_t p = 0; p < report.phases.size(); ++p) {
        const refhost::FlashedPhase& phase = report.phases[p];
        if (!phase.present) continue;
        nlohmann::ordered_json composition = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < report.componentNames.size(); ++c) {
            composition[report.componentNames[c]] = phase.moleFractions[c];
        }
        phases[volacor::PhaseName(static_cast<int32_t>(p))] = {{"fraction", phase.fraction},
                                                               {"molar_volume_m3_kmol", phase.molarVolume_m3_kmol},
                                                               {"density_kg_m3", phase.density_kg_m3},
                                                               {"composition", std::move(composition)}};
    }
    return {{"stream", name},
            {"temperature_C", report.temperature_C},
            {"pressure_kPa", report.pressure_kPa},
            {"molar_volume_m3_kmol", report.molarVolume_m3_kmol},
            {"density_kg_m3", report.density_kg_m3},
            {"phases", std::move(phases)}};
}

}  // namespace

void AddFlashCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<FlashOptions>();
    CLI::App* command = app.add_subcommand(
        "flash", "The phases of a stream at a temperature and a pressure or vapour fraction (the host's flash)");
    command->add_option("STREAM", options->stream, "Stream file (JSON)")->required();
    command->add_option("--temperature-C", options->temperature_C, "Flash temperature in \u00b0C")->required();
    CLI::Option* pressure = command->add_option_function<double>(
        "--pressure-kPa", [options](const double& value) { options->pressure_kPa = value; },
        "Flash pressure in kPa absolute");
    CLI::Option* fraction = command->add_option_function<double>(
        "--vapour-fraction", [options](const double& value) { options->vapourFraction = value; },
        "Vapour mole fraction, 0 (bubble point) to 1 (dew point); the pressure is found");
    pressure->excludes(fraction);
    command->add_option("--eos", options->eos, "Equation of state: pr (Peng-Robinson) or srk")->capture_default_str();
    command->add_option("--format", options->format, "table or json")->capture_default_str();
    command->callback([options, &run] { run = [options] { return run_flash(*options); }; });
}

int run_flash(const FlashOptions& options) {
    CheckFormat(options.format, {"table", "json"});
    CalculationOptions eos;
    eos.eos = options.eos;
    CheckCalculationOptions(eos);
    if (!options.pressure_kPa && !options.vapourFraction) {
        throw InputError("Give the flash a pressure (--pressure-kPa) or a vapour fraction (--vapour-fraction).");
    }
    if (!std::isfinite(options.temperature_C) || options.temperature_C <= -273.15) {
        throw InputError("The flash temperature must be a temperature in \u00b0C above absolute zero.");
    }
    if (options.pressure_kPa && !(std::isfinite(*options.pressure_kPa) && *options.pressure_kPa > 0)) {
        throw InputError("The flash pressure must be a positive absolute pressure in kPa.");
    }
    if (options.vapourFraction && !(*options.vapourFraction >= 0 && *options.vapourFraction <= 1)) {
        throw InputError("The vapour fraction must lie between 0 and 1.");
    }
    refhost::StreamDefinition definition;
    try {
        definition = refhost::ReadStreamFile(options.stream);
    } catch (const refhost::StreamInputError& error) {
        throw InputError(error.what());
    }
    refhost::StreamFluidOptions fluidOptions;
    fluidOptions.add_air_and_water = false;  // a flash shows the stream as the file gives it
    const auto eosKind =
        options.eos == "srk" ? thermo::EquationOfState::SoaveRedlichKwong : thermo::EquationOfState::PengRobinson;
    refhost::StreamFluid built = [&] {
        try {
            return refhost::BuildStreamFluid(definition, eosKind, fluidOptions);
        } catch (const std::invalid_argument& error) {
            throw InputError(options.stream + ": the stream cannot be made up: " + error.what());
        }
    }();
    const std::vector<double> feed = built.z;  // the whole fluid's composition, for the table
    auto stream = refhost::MaterialStream::Create(
        std::move(built.fluid),
        {definition.name, definition.temperature_C, definition.pressure_kPa, definition.molar_flow_kmol_h, std::move(built.z)});
    for (const std::string& warning : definition.warnings) std::cerr << "volacor: " << options.stream << ": " << warning << "\n";
    const refhost::FlashReport report = [&] {
        try {
            return refhost::FlashStream(*stream.get(), options.temperature_C, options.pressure_kPa,
                                        options.vapourFraction);
        } catch (const refhost::CorrelationError& error) {
            throw refhost::CorrelationError(
                options.stream + " cannot be flashed at these conditions (" + error.what() + ").", error.status());
        }
    }();
    if (options.format == "json") {
        std::cout << FlashJson(report, definition.name).dump(2) << "\n";
    } else {
        WriteFlashTable(report, definition.name, feed);
    }
    std::fflush(stdout);
    return kExitSuccess;
}

}  // namespace volacor::cli
