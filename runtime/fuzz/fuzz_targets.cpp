#include "fuzz_targets.h"

#include <cstdlib>
#include <string_view>

#include "comrt/registrar.h"
#include "comrt/registry.h"
#include "comrt/typelib.h"

namespace comrt::fuzz {
namespace {

std::string_view Text(const uint8_t* data, size_t size) { return {reinterpret_cast<const char*>(data), size}; }

void Require(bool condition) {
    if (!condition) std::abort();
}

void RequireRoundTrip(const registry::Tree& tree) {
    const std::string text = registry::FormatRegistryText(tree);
    const std::string again = registry::FormatRegistryText(registry::ParseRegistryText(text, "round trip"));
    Require(text == again);
}

}  // namespace

void CheckRegistryText(const uint8_t* data, size_t size) {
    registry::Tree tree;
    try {
        tree = registry::ParseRegistryText(Text(data, size), "fuzz");
    } catch (const registry::RegistryError& error) {
        Require(error.line() > 0);
        return;
    }
    RequireRoundTrip(tree);
}

void CheckScript(const uint8_t* data, size_t size) {
    registry::Tree tree;
    // A path with a quote, so doubling is exercised on every input.
    constexpr std::string_view kModule = "/opt/it's/libx.so";
    try {
        registrar::ApplyScript(tree, Text(data, size), kModule, registrar::Mode::Register);
    } catch (const registrar::ScriptError& error) {
        Require(error.line() > 0);
        Require(tree.roots().empty());  // nothing applied from a script that does not parse
        return;
    }
    RequireRoundTrip(tree);
    registrar::ApplyScript(tree, Text(data, size), kModule, registrar::Mode::Unregister);
    RequireRoundTrip(tree);
}

void CheckTypeLibrary(const uint8_t* data, size_t size) {
    typelib::TypeLibrary library;
    try {
        library = typelib::ParseTypeLibrary(Text(data, size));
    } catch (const typelib::TypeLibError& error) {
        Require(error.line() > 0);
        return;
    }
    const std::string text = typelib::FormatTypeLibrary(library);
    Require(typelib::FormatTypeLibrary(typelib::ParseTypeLibrary(text)) == text);
}

}  // namespace comrt::fuzz
