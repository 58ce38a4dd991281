// The registry: one text file per user holding a tree of keys. Each key has an optional
// default value and named string values; key and value names compare without regard to
// (ASCII) case and keep the case they were written with. The file format is described
// in runtime/README.md.
//
// The file is `$COMRT_REGISTRY`, or `${XDG_DATA_HOME:-$HOME/.local/share}/comrt/registry`,
// looked up afresh by every operation. A missing (or zero-byte) file is an empty
// registry. Writers take an advisory lock (`<file>.lock`), write `<file>.tmp-XXXXXX`,
// flush it and rename it over the file, so readers see the old tree or the new one.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comrt/types.h"

namespace comrt::registry {

// A registry file or key path that cannot be read or written. what() is one sentence
// naming the file (and the line, for a corrupt file).
class RegistryError : public std::runtime_error {
public:
    RegistryError(std::string file, int line, const std::string& message);
    const std::string& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }  // 0 when no line is concerned

private:
    std::string file_;
    int line_;
};

// True when a and b are equal ignoring ASCII case.
bool NamesEqual(std::string_view a, std::string_view b) noexcept;

struct NamedValue {
    std::string name;
    std::string data;
};

class Key {
public:
    explicit Key(std::string name) : name_(std::move(name)) {}
    Key(const Key& other);
    Key& operator=(const Key& other);
    Key(Key&&) noexcept = default;
    Key& operator=(Key&&) noexcept = default;

    const std::string& name() const noexcept { return name_; }

    const std::optional<std::string>& defaultValue() const noexcept { return default_; }
    void setDefault(std::string data) { default_ = std::move(data); }
    void clearDefault() noexcept { default_.reset(); }

    // Named values in the order they were first set.
    const std::vector<NamedValue>& values() const noexcept { return values_; }
    const std::string* value(std::string_view name) const noexcept;
    void setValue(std::string_view name, std::string data);
    bool removeValue(std::string_view name) noexcept;

    // Subkeys in the order they were created.
    const std::vector<std::unique_ptr<Key>>& subkeys() const noexcept { return subkeys_; }
    Key* subkey(std::string_view name) noexcept;
    const Key* subkey(std::string_view name) const noexcept;
    // The subkey, created (with this spelling) when absent.
    Key& openOrCreate(std::string_view name);
    bool removeSubkey(std::string_view name) noexcept;

    bool empty() const noexcept { return !default_ && values_.empty() && subkeys_.empty(); }

private:
    std::string name_;
    std::optional<std::string> default_;
    std::vector<NamedValue> values_;
    std::vector<std::unique_ptr<Key>> subkeys_;
};

// A key path split at backslashes: "HKCR\CLSID\{...}" -> root "HKCR", names "CLSID",
// "{...}". Roots are HKCR, HKCU and HKLM (long forms HKEY_CLASSES_ROOT ... accepted, any
// case). Empty names are refused. Throws std::invalid_argument with the reason.
inline constexpr size_t kMaxKeyDepth = 512;
struct KeyPath {
    std::string root;                // canonical short form
    std::vector<std::string> names;  // below the root
    std::string text() const;        // "HKCR\CLSID\{...}"
};
KeyPath ParseKeyPath(std::string_view text);
// The canonical root name ("HKCR") of a root written in any accepted form, or empty.
std::string CanonicalRoot(std::string_view root);

// The whole registry: its roots are top-level keys named HKCR, HKCU, HKLM.
class Tree {
public:
    Key& root(std::string_view canonicalRoot);
    const Key* rootIfPresent(std::string_view canonicalRoot) const noexcept;
    const std::vector<std::unique_ptr<Key>>& roots() const noexcept { return roots_.subkeys(); }

    const Key* find(const KeyPath& path) const noexcept;
    Key* find(const KeyPath& path) noexcept;
    Key& create(const KeyPath& path);
    // Removes the key and everything below it; false when it was absent. A root stays.
    bool remove(const KeyPath& path);

private:
    Key roots_{""};
};

// The file that the next operation would use.
std::filesystem::path RegistryPath();

// Parses the file's text; source names the file in errors. Throws RegistryError.
Tree ParseRegistryText(std::string_view text, const std::string& source);
// The file's text for the whole tree.
std::string FormatRegistryText(const Tree& tree);
// The text of one key and everything below it, in the file's own format, readable by
// ParseRegistryText (the key's parents appear as empty sections).
std::string FormatRegistryText(const Tree& tree, const KeyPath& key);

// A snapshot of the current registry file (empty when it is missing). Throws
// RegistryError for a file that cannot be read or parsed.
Tree Load();

// Runs change on the current tree under the lock and writes the result atomically.
// When change throws, nothing is written and the exception goes on. Inside an open
// Transaction on this thread, the change is made to the transaction's tree instead.
void Update(const std::function<void(Tree&)>& change);

// Several updates made as one: the lock is held from construction; Commit writes them
// all at once; destruction without Commit discards them. One per thread at a time.
class Transaction {
public:
    Transaction();  // throws RegistryError when the lock or file cannot be had
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

    struct State;

private:
    std::unique_ptr<State> state_;
};

// The message of the last registry failure reported through a status code on this
// thread (by the C functions below, activation or registration); empty when none.
std::string LastError();
void SetLastError(std::string message);

namespace testing {
// Called after the temporary file is written and flushed, before it is renamed over the
// registry. Tests use it to end a writer at the worst moment; null removes it.
void SetBeforeCommitHook(void (*hook)());
}  // namespace testing

}  // namespace comrt::registry

extern "C" {
// Begins a transaction on this thread: registry updates until the matching end are made
// together, under the lock. Transactions nest; the outermost end writes, unless some
// level ended with commit FALSE, which discards everything. S_OK; REGDB_E_READREGDB for a
// corrupt file, REGDB_E_WRITEREGDB when the lock cannot be had or the file not written
// (comrt::registry::LastError() says why); E_UNEXPECTED for an end without a begin.
HRESULT comrt_RegBeginTransaction();
HRESULT comrt_RegEndTransaction(BOOL commit);
}
