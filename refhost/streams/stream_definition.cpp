#include "refhost/streams/stream_definition.h"

namespace refhost {

const char* BasisName(CompositionBasis basis) {
    switch (basis) {
        case CompositionBasis::Mole: return "mole";
        case CompositionBasis::Mass: return "mass";
        case CompositionBasis::LiquidVolume: return "liquid_volume";
    }
    return "";
}

}  // namespace refhost
