#include "bookkeeping.h"

#include <map>
#include <mutex>
#include <string>

#include "varhost_server.h"

namespace varhost {
namespace {

struct Failure {
    int32_t successesFirst;
    HRESULT status;
};

struct Book {
    std::mutex mutex;
    std::map<std::string, int32_t> calls;
    std::map<std::string, int32_t> lastInt;
    std::map<std::string, Failure> failures;
};

Book& TheBook() {
    static Book book;
    return book;
}

std::atomic<int32_t> liveObjects{0};
// Read on every call; relaxed, since a test switches it before it drives the server.
std::atomic<bool> testing{false};

HRESULT Answer(Book& book, const std::string& name) {
    ++book.calls[name];
    const auto failure = book.failures.find(name);
    if (failure == book.failures.end()) return S_OK;
    if (failure->second.successesFirst > 0) {
        --failure->second.successesFirst;
        return S_OK;
    }
    return failure->second.status;
}

}  // namespace

HRESULT Enter(const char* operation) {
    if (!testing.load(std::memory_order_relaxed)) return S_OK;
    Book& book = TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    return Answer(book, operation);
}

HRESULT EnterWithInt(const char* operation, int32_t argument) {
    if (!testing.load(std::memory_order_relaxed)) return S_OK;
    Book& book = TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    book.lastInt[operation] = argument;
    return Answer(book, operation);
}

int32_t LiveObjects() { return liveObjects.load(); }

Counted::Counted() { liveObjects.fetch_add(1); }
Counted::Counted(const Counted&) { liveObjects.fetch_add(1); }
Counted::~Counted() { liveObjects.fetch_sub(1); }

}  // namespace varhost

#define VARHOST_EXPORT extern "C" __attribute__((visibility("default")))

VARHOST_EXPORT int32_t varhost_LiveObjects() { return varhost::LiveObjects(); }

VARHOST_EXPORT void varhost_EnableTesting(int32_t on) { varhost::testing.store(on != 0); }

VARHOST_EXPORT int32_t varhost_CallCount(const char* operation) {
    varhost::Book& book = varhost::TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    const auto found = book.calls.find(operation ? operation : "");
    return found == book.calls.end() ? 0 : found->second;
}

VARHOST_EXPORT int32_t varhost_LastInt(const char* operation) {
    varhost::Book& book = varhost::TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    const auto found = book.lastInt.find(operation ? operation : "");
    return found == book.lastInt.end() ? 0 : found->second;
}

VARHOST_EXPORT void varhost_FailOperation(const char* operation, int32_t successesFirst, HRESULT status) {
    varhost::Book& book = varhost::TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    book.failures[operation ? operation : ""] = {successesFirst, status};
}

VARHOST_EXPORT void varhost_Reset() {
    varhost::Book& book = varhost::TheBook();
    const std::lock_guard<std::mutex> lock(book.mutex);
    book.calls.clear();
    book.lastInt.clear();
    book.failures.clear();
}
