#pragma once
// Text of the data files under thermo/data, embedded at build time.
namespace thermo::embedded {
extern const char* const components_csv;
extern const char* const kij_pr_csv;
}  // namespace thermo::embedded
