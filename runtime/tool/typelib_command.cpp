// comrt typelib LIBRARY: the type library a library carries, one description a line.
#include <filesystem>
#include <iostream>

#include "comrt/library.h"
#include "comrt/typelib.h"
#include "commands.h"

namespace comrt::tool {

int RunTypeLib(const std::string& library) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(library, error);
    if (error || !std::filesystem::exists(path, error)) {
        std::cerr << "comrt: " << library << ": no such file\n";
        return kLibraryUnusable;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::cerr << "comrt: " << path.string() << ": cannot be loaded\n";
        return kLibraryUnusable;
    }
    try {
        const typelib::TypeLibrary lib = typelib::LoadTypeLibrary(module, 1);
        std::cout << typelib::FormatLibraryLine(lib) << '\n';
        for (const auto& imported : lib.imports) std::cout << typelib::FormatImportLine(imported) << '\n';
        for (const auto& type : lib.types) std::cout << typelib::FormatDescriptionLine(type) << '\n';
        return kOk;
    } catch (const std::exception& failure) {
        std::cerr << "comrt: " << path.string() << ": " << failure.what() << '\n';
        return kTypeLibBad;
    }
}

}  // namespace comrt::tool
