// A stream as a stream file describes it: components and petroleum cuts in the order
// written, with their fractions as written (in the file's basis, not yet normalised),
// and the stream's conditions.
#pragma once

#include <string>
#include <vector>

namespace refhost {

// What the fractions of a stream file measure.
enum class CompositionBasis { Mole, Mass, LiquidVolume };

// "mole", "mass", "liquid_volume": the words the files use.
const char* BasisName(CompositionBasis basis);

// A component from the table, named in the file by name, alias, CAS number or host id.
struct StreamComponent {
    std::string key;   // as written in the file
    std::string name;  // the component table's name
    int host_id = 0;   // the component table's host id
    double fraction = 0;
    int line = 0;      // line of the key in the file (0 when unknown)
};

// A petroleum cut (a boiling range of an assay), turned into a pseudo-component.
struct StreamCut {
    std::string name;
    double fraction = 0;
    double nbp_C = 0;          // normal (mid-)boiling point
    double sg = 0;             // specific gravity 60/60 °F
    double mw_g_per_mol = 0;   // 0: estimated from nbp_C and sg
    int line = 0;
};

struct StreamDefinition {
    std::string source;  // the file (or text source) it was read from
    std::string name;
    CompositionBasis basis = CompositionBasis::Mole;
    std::vector<StreamComponent> components;
    std::vector<StreamCut> cuts;
    double temperature_C = 15.0;
    double pressure_kPa = 101.325;
    double molar_flow_kmol_h = 1.0;
    // Remarks for the user that do not stop the calculation (fractions normalised).
    std::vector<std::string> warnings;
};

}  // namespace refhost
