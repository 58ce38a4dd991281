// Components as the host identifies them, for scripting fluids in tests.
// Host ids, CAS numbers (without hyphens) and molar masses are those of
// /work/shared/data/components.csv (molar masses: ChemSep v8.32 pure-component data).
#pragma once

namespace volacor::testsupport {

struct HostComponent {
    double id;                    // "ComponentIDs" entry
    double cas;                   // "CAS_Numbers" entry
    double molecularWeight_g_mol; // "Molecular Weight" entry
};

// The components the methods look for by id or CAS number.
inline constexpr HostComponent Methane{1, 74828, 16.0425};
inline constexpr HostComponent Nitrogen{13, 7727379, 28.0134};
inline constexpr HostComponent Water{19, 7732185, 18.0153};
inline constexpr HostComponent Hydrogen{20, 1333740, 2.0159};
inline constexpr HostComponent Oxygen{28, 7782447, 31.9988};

// A few condensable hydrocarbons to make up a gasoline-like fluid.
inline constexpr HostComponent Propane{3, 74986, 44.0956};
inline constexpr HostComponent NButane{5, 106978, 58.1222};
inline constexpr HostComponent NPentane{7, 109660, 72.1488};
inline constexpr HostComponent NHexane{8, 110543, 86.1754};
inline constexpr HostComponent NHeptane{9, 142825, 100.2020};

}  // namespace volacor::testsupport
