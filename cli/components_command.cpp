// `volacor components [TEXT]`: the component table, filtered by name, alias, CAS number
// or host id.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/output_format.h"
#include "cli/text_table.h"
#include "thermo/component_database.h"

namespace volacor::cli {
namespace {

struct ComponentsOptions {
    std::string filter;
    std::string format = "table";
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// 74828 -> "74-82-8": the check digit, two digits, the rest.
std::string CasText(long long cas) {
    if (cas <= 0) return "";
    std::string digits = std::to_string(cas);
    if (digits.size() < 4) return digits;
    return digits.substr(0, digits.size() - 3) + "-" + digits.substr(digits.size() - 3, 2) + "-" + digits.back();
}

std::string Number(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A component matches when the text is part of its name, an alias or its formula, or
// is its CAS number (with or without hyphens) or host id.
bool Matches(const thermo::Component& component, const std::string& filter) {
    if (filter.empty()) return true;
    const std::string text = Lower(filter);
    if (Lower(component.name).find(text) != std::string::npos) return true;
    if (Lower(component.formula) == text) return true;
    for (const std::string& alias : component.aliases) {
        if (Lower(alias).find(text) != std::string::npos) return true;
    }
    std::string digits;
    for (char c : text) {
        if (c != '-') digits += c;
    }
    const bool numeric = !digits.empty() && std::all_of(digits.begin(), digits.end(), [](unsigned char c) {
        return std::isdigit(c) != 0;
    });
    if (numeric && component.cas > 0 && digits == std::to_string(component.cas)) return true;
    return numeric && text == digits && text == std::to_string(component.host_id);
}

int run_components(const ComponentsOptions& options) {
    CheckFormat(options.format, {"table", "json"});
    TextTable table({"id", "name", "CAS", "formula", "MW g/mol", "Tc K", "Pc kPa", "omega", "NBP K", "aliases"});
    table.AlignRight({true, false, false, false, true, true, true, true, true, false});
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    int count = 0;
    for (const thermo::Component& c : thermo::ComponentDatabase::builtin().components()) {
        if (!Matches(c, options.filter)) continue;
        ++count;
        std::string aliases;
        for (const std::string& alias : c.aliases) aliases += (aliases.empty() ? "" : ", ") + alias;
        table.AddRow({std::to_string(c.host_id), c.name, CasText(c.cas), c.formula, Number(c.mw_g_per_mol, 3),
                      Number(c.tc_K, 2), Number(c.pc_kPa, 1), Number(c.omega, 4), Number(c.tb_K, 2), aliases});
        list.push_back({{"id", c.host_id}, {"name", c.name}, {"cas", CasText(c.cas)}, {"formula", c.formula},
                        {"aliases", c.aliases}, {"mw_g_per_mol", c.mw_g_per_mol}, {"tc_K", c.tc_K},
                        {"pc_kPa", c.pc_kPa}, {"omega", c.omega}, {"tb_K", c.tb_K}});
    }
    if (options.format == "json") {
        std::cout << list.dump(2) << "\n";
        return kExitSuccess;
    }
    if (count == 0) {
        std::cerr << "volacor: no component matches '" << options.filter
                  << "'; run 'volacor components' for the whole table.\n";
        return kExitBadInput;
    }
    table.Write(std::cout);
    return kExitSuccess;
}

}  // namespace

void AddComponentsCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<ComponentsOptions>();
    CLI::App* command =
        app.add_subcommand("components", "The component table, or the components whose name, alias, CAS number or id "
                                         "matches TEXT; any of these may key a component in a stream file");
    command->add_option("TEXT", options->filter, "Part of a name or alias, a formula, a CAS number or an id");
    command->add_option("--format", options->format, "table or json")->capture_default_str();
    command->callback([options, &run] { run = [options] { return run_components(*options); }; });
}

}  // namespace volacor::cli
