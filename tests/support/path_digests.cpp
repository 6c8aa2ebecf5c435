// Prints a digest of the results of every exported function, scalar and
// array, over the registry sweep's samples, for the path this process runs
// (test_paths sets HOSTMATH_TEST_X86_64_LEVEL), and first the offsets inside
// the library of the copies the loader bound for one scalar function and one
// array form.  Run against another build of the library, it shows that the
// two compute the same bits.
#include "registry_sweep.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

std::uint64_t digest(const registry_sweep::Bits& values)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint64_t v : values)
        for (int k = 0; k < 64; k += 8) h = (h ^ ((v >> k) & 0xff)) * 0x100000001b3ull;
    return h;
}

// Where the loader bound the function, from the start of the object holding
// it: found by its symbol in the dynamic symbol table (the shared library), or
// else by its address (a static library, linked into this program).
template <typename Function>
long bound_offset(const char* symbol, Function* function)
{
    void* address = dlsym(RTLD_DEFAULT, symbol);
    if (address == nullptr) address = reinterpret_cast<void*>(function);
    Dl_info info;
    if (dladdr(address, &info) == 0) return -1;
    return static_cast<const char*>(address) - static_cast<const char*>(info.dli_fbase);
}

}  // namespace

int main()
{
    std::printf("bound %ld %ld\n", bound_offset("_Z25qx_math_func_host_erfinvff", qx_math_func_host_erfinvf),
                bound_offset("_Z31qx_math_func_host_batch_erfinvfPKfPfm", qx_math_func_host_batch_erfinvf));
    for (const auto& e : registry_sweep::exports()) {
        registry_sweep::Bits results;
        e.run(results);
        std::printf("%s %016llx\n", e.name.c_str(), static_cast<unsigned long long>(digest(results)));
    }
    return 0;
}
