// The nine correlation classes the library serves, one line each, in the order the
// library registers them, each with the id of its registration script.
//
// To serve a class once its method's CalculatePhase is committed, replace its line
//     ObjectMapEntry::NotBuilt<CXxx>(),  // method not built yet
// by
//     ObjectMapEntry::For<CXxx>(script resource id),
// Nothing else changes: For<> is the only place the class names its method, so a line
// left as NotBuilt never needs that method at link time and answers
// CLASS_E_CLASSNOTAVAILABLE.
#include "server/object_map.h"

#include "correlations/correlation_classes.h"

namespace volacor {
namespace {

constinit ObjectMapEntry objectMap[] = {
    ObjectMapEntry::For<CAPI_5B1_1>(111),
    ObjectMapEntry::For<CAPI_5B1_2>(112),
    ObjectMapEntry::For<CASTM_D323_73_79>(113),
    ObjectMapEntry::For<CASTM_D323_82>(114),
    ObjectMapEntry::For<CASTM_D4953_91>(115),
    ObjectMapEntry::For<CASTM_D5191_91>(116),
    ObjectMapEntry::For<CASTM_D6377_16>(119),
    ObjectMapEntry::For<COrvan_API>(117),
    ObjectMapEntry::For<CModifiedASTM>(118),
};

}  // namespace

std::span<ObjectMapEntry> LibraryObjectMap() noexcept { return objectMap; }

}  // namespace volacor
