#include "server/volacor_app.h"

#include "server/object_map.h"

namespace volacor {
namespace {

// Built when the library is loaded, destroyed (releasing the kept class objects) when
// it is unloaded.
CVolacorApp theApp;

}  // namespace

CVolacorApp::CVolacorApp() noexcept : module_(LibraryObjectMap()) {}

CVolacorApp& TheApp() noexcept { return theApp; }

}  // namespace volacor
