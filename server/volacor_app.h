// The application object: it owns the module for as long as the library is loaded.
#pragma once

#include "server/module.h"

namespace volacor {

class CVolacorApp {
public:
    CVolacorApp() noexcept;
    CModule& Module() noexcept { return module_; }

private:
    CModule module_;
};

// The one application object of the loaded library.
CVolacorApp& TheApp() noexcept;

}  // namespace volacor
