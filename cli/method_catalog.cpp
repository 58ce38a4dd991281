#include "cli/method_catalog.h"

#include "cli/host_outcome.h"
#include "comrt/registry.h"
#include "refhost/manager/method_table.h"

namespace volacor::cli {

const std::vector<MethodIdentity>& AllMethods() {
    static const std::vector<MethodIdentity> methods = [] {
        std::vector<MethodIdentity> list;
        for (const refhost::MethodInfo& info : refhost::Methods()) list.push_back(IdentityOf(info));
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
