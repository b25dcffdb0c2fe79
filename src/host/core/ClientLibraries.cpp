#include "ClientLibraries.h"

#include "KmrLog.h"

#include <dlfcn.h>

#include <optional>

namespace ClientLibraries {

namespace {

// Opens the library by its run-time name and fills the table; the library is
// never closed (the Qt driver holds it too).
template <typename Table, typename Fill> std::optional<Table> load(const char* soname, Fill fill) {
    void* handle = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        qCWarning(lcKmrDb, "%s not loaded: %s", soname, why ? why : "unknown reason");
        return std::nullopt;
    }
    Table table;
    const char* missing = fill(table, handle);
    if (missing != nullptr) {
        qCWarning(lcKmrDb, "%s has no function %s", soname, missing);
        return std::nullopt;
    }
    return table;
}

#define KMR_FUNCTION_LOAD(f)                                                                                           \
    table.f = reinterpret_cast<decltype(table.f)>(dlsym(handle, #f));                                                  \
    if (table.f == nullptr)                                                                                            \
        return #f;

} // namespace

const Pq* pq() noexcept {
    static const std::optional<Pq> loaded = load<Pq>("libpq.so.5", [](Pq& table, void* handle) -> const char* {
        KMR_PQ_FUNCTIONS(KMR_FUNCTION_LOAD)
        return nullptr;
    });
    return loaded ? &*loaded : nullptr;
}

const Odbc* odbc() noexcept {
    static const std::optional<Odbc> loaded = load<Odbc>("libodbc.so.2", [](Odbc& table, void* handle) -> const char* {
        KMR_ODBC_FUNCTIONS(KMR_FUNCTION_LOAD)
        return nullptr;
    });
    return loaded ? &*loaded : nullptr;
}

#undef KMR_FUNCTION_LOAD

} // namespace ClientLibraries
