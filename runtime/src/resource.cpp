// Resources embedded by comrt_add_resources: the module's exported table, found in the
// module itself (never in one of its dependencies).
#include "comrt/resource.h"

#include <dlfcn.h>

#include "comrt/resource_table.h"
#include "module_symbols.h"

namespace {

// A resource type: "#23" is the number 23, anything else a name.
struct ResourceType {
    bool numeric = false;
    uint32_t number = 0;
    const char* name = nullptr;
    bool valid = true;
};

ResourceType ParseType(const char* text) {
    ResourceType type;
    if (text[0] != '#') {
        type.name = text;
        type.valid = text[0] != '\0';
        return type;
    }
    type.numeric = true;
    const char* digit = text + 1;
    if (*digit == '\0') type.valid = false;
    for (; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || type.number > (UINT32_MAX - 9) / 10) {
            type.valid = false;
            break;
        }
        type.number = type.number * 10 + static_cast<uint32_t>(*digit - '0');
    }
    return type;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Type names compare without regard to case, as the platform's do.
bool SameName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (Upper(*a) != Upper(*b)) return false;
    return *a == *b;
}

bool SameType(const ResourceType& wanted, const char* entryType) {
    const ResourceType entry = ParseType(entryType);
    if (!wanted.valid || !entry.valid || wanted.numeric != entry.numeric) return false;
    return wanted.numeric ? wanted.number == entry.number : SameName(wanted.name, entry.name);
}

const comrt_resource_table* TableOf(HMODULE module) {
    void* handle = module ? reinterpret_cast<void*>(module) : dlopen(nullptr, RTLD_LAZY);
    auto* table = static_cast<const comrt_resource_table*>(
        comrt::detail::OwnSymbol(handle, COMRT_RESOURCE_TABLE_SYMBOL));
    if (!module && handle) dlclose(handle);
    return table;
}

}  // namespace

extern "C" HRESULT comrt_FindResource(HMODULE module, const char* type, uint32_t id, uint16_t language,
                                      const void** data, uint32_t* size) {
    if (!data || !size) return E_POINTER;
    *data = nullptr;
    *size = 0;
    if (!type) return E_INVALIDARG;
    const comrt_resource_table* table = TableOf(module);
    if (!table) return E_FAIL;
    const ResourceType wanted = ParseType(type);
    for (uint32_t i = 0; i < table->count; ++i) {
        const comrt_resource_entry& entry = table->entries[i];
        if (entry.id == id && entry.language == language && SameType(wanted, entry.type)) {
            *data = entry.data;
            *size = entry.size;
            return S_OK;
        }
    }
    return E_FAIL;
}
