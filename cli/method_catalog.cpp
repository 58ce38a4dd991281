#include "cli/method_catalog.h"

#include "comrt/guid.h"
#include "comrt/registry.h"
#include "refhost/manager/method_table.h"

namespace volacor::cli {

const std::vector<MethodIdentity>& AllMethods() {
    static const std::vector<MethodIdentity> methods = [] {
        std::vector<MethodIdentity> list;
        for (const refhost::MethodInfo& info : refhost::Methods()) {
            char classId[GUID_STRING_CHARS + 1] = {};
            comrt_GuidToString(info.classId, classId, sizeof classId);
            list.push_back({std::string(info.shortName), std::string(info.displayName), std::string(info.progId),
                            classId, info.feedOnly});
        }
        return list;
    }();
    return methods;
}

RegistryKnowledge LookUpInRegistry(const MethodIdentity& method) {
    namespace registry = comrt::registry;
    const registry::Tree tree = registry::Load();
    RegistryKnowledge knowledge;
    const registry::Key* progIdClass = tree.find(registry::ParseKeyPath("HKCR\\" + method.progId + "\\CLSID"));
    const registry::Key* server =
        tree.find(registry::ParseKeyPath("HKCR\\CLSID\\" + method.classId + "\\InprocServer32"));
    if (server && server->defaultValue()) knowledge.library = *server->defaultValue();
    knowledge.registered = progIdClass && progIdClass->defaultValue() &&
                           registry::NamesEqual(*progIdClass->defaultValue(), method.classId) &&
                           !knowledge.library.empty();
    return knowledge;
}

std::string RegistryFileName() { return comrt::registry::RegistryPath().string(); }

}  // namespace volacor::cli
