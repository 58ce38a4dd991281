#include "correlations/class_descriptions.h"

#include "correlations/dual_interfaces.h"

namespace volacor {
namespace {

constexpr DriverVariant kApiVariant{AnalysisMaterial::SecondGetMaterial, true, false, false};
constexpr DriverVariant kApiOneMaterialVariant{AnalysisMaterial::FirstMaterial, true, false, false};
constexpr DriverVariant kLaboratoryVariant{AnalysisMaterial::FirstMaterial, false, false, false};
constexpr DriverVariant kRatioVariant{AnalysisMaterial::FirstMaterial, false, true, false};
constexpr DriverVariant kFeedOnlyVariant{AnalysisMaterial::FirstMaterial, false, false, true};

}  // namespace

const ClassDescription kAPI_5B1_1{
    "CAPI_5B1_1",
    {0x56B62C92, 0xEC0D, 0x4665, {0xBD, 0x33, 0x34, 0x4E, 0xDA, 0x44, 0xA9, 0x66}},
    IID_IAPI_5B1_1, "API Method 5B1.1", kApiVariant, kReferenceTemperatureAtCreation_C, false};

const ClassDescription kAPI_5B1_2{
    "CAPI_5B1_2",
    {0xC825E724, 0xA00D, 0x4ABE, {0x80, 0x19, 0xEF, 0xD1, 0x30, 0x42, 0xB3, 0xB4}},
    IID_IAPI_5B1_2, "API Method 5B1.2", kApiOneMaterialVariant, kReferenceTemperatureAtCreation_C, false};

const ClassDescription kASTM_D323_73_79{
    "CASTM_D323_73_79",
    {0x54956A09, 0x35CE, 0x468E, {0x88, 0x2A, 0xF4, 0x1A, 0xC5, 0xFC, 0x60, 0xFE}},
    IID_IASTM_D323_73_79, "ASTM Method D323-73/79", kLaboratoryVariant,
    kD323_73_79ReferenceTemperatureAtCreation_C, false};

const ClassDescription kASTM_D323_82{
    "CASTM_D323_82",
    {0xA6EB1E69, 0x35C8, 0x462B, {0x9B, 0x73, 0x59, 0x8F, 0xD6, 0xD9, 0x3E, 0x9D}},
    IID_IASTM_D323_82, "ASTM Method D323-82", kLaboratoryVariant, kReferenceTemperatureAtCreation_C, false};

const ClassDescription kASTM_D4953_91{
    "CASTM_D4953_91",
    {0x5E153722, 0xDC95, 0x4914, {0x89, 0x68, 0x9B, 0xDF, 0x1D, 0x02, 0x2E, 0xB3}},
    IID_IASTM_D4953_91, "ASTM Method D4953-91", kLaboratoryVariant, kReferenceTemperatureAtCreation_C, false};

const ClassDescription kASTM_D5191_91{
    "CASTM_D5191_91",
    {0x37C4EEEC, 0x6564, 0x4504, {0xBA, 0xEB, 0x13, 0xC8, 0x91, 0x30, 0xA8, 0x60}},
    IID_IASTM_D5191_91, "ASTM Method D5191-91", kLaboratoryVariant, kReferenceTemperatureAtCreation_C, false};

const ClassDescription kASTM_D6377_16{
    "CASTM_D6377_16",
    {0x383A842D, 0x252E, 0x4AE7, {0xA8, 0xA6, 0xBB, 0x1D, 0xA6, 0xFA, 0xFE, 0x2D}},
    IID_IASTM_D6377_16, "ASTM Method D6377-16", kRatioVariant, kReferenceTemperatureAtCreation_C, true};

// Shown to the user under the same name as API 5B1.1.
const ClassDescription kOrvan_API{
    "COrvan_API",
    {0xE01D4667, 0xD71B, 0x4E00, {0x83, 0x37, 0x64, 0x8D, 0x6E, 0x69, 0x4D, 0x19}},
    IID_IOrvan_API, "API Method 5B1.1", kApiVariant, kReferenceTemperatureAtCreation_C, false};

// Shown to the user under the same name as ASTM D323-73/79.
const ClassDescription kModifiedASTM{
    "CModifiedASTM",
    {0x85E31F8C, 0xB0E9, 0x490A, {0x99, 0xF9, 0x2F, 0x7C, 0xCA, 0x42, 0x69, 0x8E}},
    IID_IModifiedASTM, "ASTM Method D323-73/79", kFeedOnlyVariant, kReferenceTemperatureAtCreation_C, false};

}  // namespace volacor
