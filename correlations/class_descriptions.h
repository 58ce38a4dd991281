// The identity and driver variant of each of the nine correlation classes, as data.
#pragma once

#include "comrt/types.h"
#include "correlations/driver_variant.h"

namespace volacor {

struct ClassDescription {
    const char* className;          // implementing class, e.g. "CAPI_5B1_1"
    CLSID classId;                  // also the registration class id
    IID dualInterfaceId;            // the class's own dual interface
    const char* displayName;        // what get_Name reports
    DriverVariant variant;
    double referenceTemperatureAtCreation_C;  // "RVPRefTempValue" when the object is made
    bool hasVlRatioVariable;        // builds "VLRatioValue"
};

// The value "RVPRefTempValue" gets at creation (100 °F is 37.78 °C to two places);
// ASTM D323-73/79 starts from 37.778.
inline constexpr double kReferenceTemperatureAtCreation_C = 37.78;
inline constexpr double kD323_73_79ReferenceTemperatureAtCreation_C = 37.778;

extern const ClassDescription kAPI_5B1_1;
extern const ClassDescription kAPI_5B1_2;
extern const ClassDescription kASTM_D323_73_79;
extern const ClassDescription kASTM_D323_82;
extern const ClassDescription kASTM_D4953_91;
extern const ClassDescription kASTM_D5191_91;
extern const ClassDescription kASTM_D6377_16;
extern const ClassDescription kOrvan_API;
extern const ClassDescription kModifiedASTM;

}  // namespace volacor
