// The nine correlation classes the library serves, one line each, in the order the
// library registers them. For<> is the only place a class names its method.
#include "server/object_map.h"

#include "correlations/correlation_classes.h"

namespace volacor {
namespace {

constinit ObjectMapEntry objectMap[] = {
    ObjectMapEntry::For<CAPI_5B1_1>(),
    ObjectMapEntry::For<CAPI_5B1_2>(),
    ObjectMapEntry::For<CASTM_D323_73_79>(),
    ObjectMapEntry::For<CASTM_D323_82>(),
    ObjectMapEntry::For<CASTM_D4953_91>(),
    ObjectMapEntry::For<CASTM_D5191_91>(),
    ObjectMapEntry::For<CASTM_D6377_16>(),
    ObjectMapEntry::For<COrvan_API>(),
    ObjectMapEntry::For<CModifiedASTM>(),
};

}  // namespace

std::span<ObjectMapEntry> LibraryObjectMap() noexcept { return objectMap; }

}  // namespace volacor
