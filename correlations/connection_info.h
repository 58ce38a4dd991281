// One attached client of a correlation object.
#pragma once

#include <cstdint>

#include "comrt/com_ptr.h"
#include "host/correlation.h"

namespace volacor {

class CConnectionInfo {
public:
    CConnectionInfo() noexcept = default;
    CConnectionInfo(const CConnectionInfo&) = delete;
    CConnectionInfo& operator=(const CConnectionInfo&) = delete;
    // Releases client first, then variableSet (members go in reverse order).
    virtual ~CConnectionInfo() = default;

    int32_t clientKey = -1;                     // the key the host passed to Attach
    int32_t cookie = -1;                        // 1-based position in the object's list
    comrt::ComPtr<IVariableSet> variableSet;    // the client's copy of the result set
    comrt::ComPtr<ICorrelationClient> client;
};

}  // namespace volacor
