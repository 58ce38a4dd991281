// Where the registry is, and the read-change-write cycle under the lock.
#include <cstdlib>
#include <memory>

#include "comrt/registry.h"
#include "registry_file.h"
#include "registry_lock.h"

namespace comrt::registry {

struct Transaction::State {
    explicit State(std::filesystem::path file) : path(std::move(file)), lock(path), tree(detail::ReadRegistryFile(path)) {}
    std::filesystem::path path;
    detail::FileLock lock;
    Tree tree;
    bool changed = false;
};

namespace {

thread_local Transaction::State* openTransaction = nullptr;
thread_local std::string lastError;
thread_local std::unique_ptr<Transaction> cTransaction;
thread_local int cDepth = 0;
thread_local bool cDoomed = false;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

std::filesystem::path RegistryPath() {
    const std::string explicitPath = Environment("COMRT_REGISTRY");
    if (!explicitPath.empty()) return explicitPath;
    std::filesystem::path dataHome = Environment("XDG_DATA_HOME");
    // The base-directory convention ignores a relative XDG_DATA_HOME.
    if (dataHome.empty() || dataHome.is_relative()) {
        const std::string home = Environment("HOME");
        if (home.empty())
            throw RegistryError("(no registry file)", 0, "neither COMRT_REGISTRY nor HOME is set");
        dataHome = std::filesystem::path(home) / ".local" / "share";
    }
    return dataHome / "comrt" / "registry";
}

Tree Load() {
    if (openTransaction) return openTransaction->tree;
    return detail::ReadRegistryFile(RegistryPath());
}

void Update(const std::function<void(Tree&)>& change) {
    if (openTransaction) {
        Tree changed = openTransaction->tree;
        change(changed);
        openTransaction->tree = std::move(changed);
        openTransaction->changed = true;
        return;
    }
    const std::filesystem::path path = RegistryPath();
    detail::FileLock lock(path);
    Tree tree = detail::ReadRegistryFile(path);
    change(tree);
    detail::ReplaceRegistryFile(path, tree);
}

Transaction::Transaction() {
    if (openTransaction) throw std::logic_error("a registry transaction is already open on this thread");
    state_ = std::make_unique<State>(RegistryPath());
    openTransaction = state_.get();
}

Transaction::~Transaction() {
    if (openTransaction == state_.get()) openTransaction = nullptr;
}

void Transaction::Commit() {
    if (!state_ || openTransaction != state_.get()) throw std::logic_error("no open registry transaction");
    openTransaction = nullptr;
    if (state_->changed) detail::ReplaceRegistryFile(state_->path, state_->tree);
    state_.reset();
}

std::string LastError() { return lastError; }
void SetLastError(std::string message) { lastError = std::move(message); }

}  // namespace comrt::registry

using comrt::registry::Transaction;

// Transactions of the C functions nest: only the outermost end writes, and nothing is
// written when any level ended with commit FALSE.
extern "C" HRESULT comrt_RegBeginTransaction() {
    using namespace comrt::registry;
    if (cDepth == 0 && !openTransaction) {
        try {
            cTransaction = std::make_unique<Transaction>();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (const RegistryError& error) {
            SetLastError(error.what());
            return error.line() > 0 ? REGDB_E_READREGDB : REGDB_E_WRITEREGDB;
        } catch (const std::exception& error) {
            SetLastError(error.what());
            return REGDB_E_WRITEREGDB;
        }
        cDoomed = false;
    }
    ++cDepth;
    return S_OK;
}

extern "C" HRESULT comrt_RegEndTransaction(BOOL commit) {
    using namespace comrt::registry;
    if (cDepth == 0) return E_UNEXPECTED;
    if (!commit) cDoomed = true;
    if (--cDepth > 0) return S_OK;
    std::unique_ptr<Transaction> transaction = std::move(cTransaction);
    const bool doomed = cDoomed;
    cDoomed = false;
    if (!transaction || doomed) return S_OK;
    try {
        transaction->Commit();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        SetLastError(error.what());
        return REGDB_E_WRITEREGDB;
    }
}
