// The correlation manager's side of an attachment: the client object handed to Attach
// and the context it gives for each calculation, whose material is the stream.
#pragma once

#include "comrt/com_ptr.h"
#include "host/correlation.h"

namespace refhost {

class MaterialStream;

// A new client for the stream, one reference for the caller. Its contexts report the
// calculation active and hand out the stream (a reference each time).
comrt::ComPtr<volacor::ICorrelationClient> MakeStreamClient(MaterialStream& stream);

}  // namespace refhost
