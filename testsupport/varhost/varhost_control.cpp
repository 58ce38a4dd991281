#include "testsupport/varhost/varhost_control.h"

#include "comrt/library.h"

namespace volacor::testsupport {

VarhostControl VarhostControl::Load() {
    VarhostControl control;
    HMODULE server = CoLoadLibrary(u"varhost2.dll", 1);
    if (!server) return control;
    const auto enable = reinterpret_cast<varhost_EnableTestingFn>(GetProcAddress(server, "varhost_EnableTesting"));
    if (!enable) return control;
    enable(1);
    control.LiveObjects = reinterpret_cast<varhost_LiveObjectsFn>(GetProcAddress(server, "varhost_LiveObjects"));
    control.CallCount = reinterpret_cast<varhost_CallCountFn>(GetProcAddress(server, "varhost_CallCount"));
    control.LastInt = reinterpret_cast<varhost_LastIntFn>(GetProcAddress(server, "varhost_LastInt"));
    control.FailOperation =
        reinterpret_cast<varhost_FailOperationFn>(GetProcAddress(server, "varhost_FailOperation"));
    control.Reset = reinterpret_cast<varhost_ResetFn>(GetProcAddress(server, "varhost_Reset"));
    return control;
}

}  // namespace volacor::testsupport
