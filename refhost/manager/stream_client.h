// The correlation manager's side of an attachment: the client object handed to Attach
// and the context it gives for each calculation, whose material is the stream.
#pragma once

#include <cstdint>

#include "comrt/com_ptr.h"
#include "host/correlation.h"

namespace refhost {

class MaterialStream;

// A new client for the stream, one reference for the caller. Its contexts report the
// calculation active and hand out the stream (a reference each time).
comrt::ComPtr<volacor::ICorrelationClient> MakeStreamClient(MaterialStream& stream);

// Clients and contexts alive now: 0 once the library released all it was handed.
int64_t LiveStreamClients();

}  // namespace refhost
