// Every function of the registry, scalar and array form, C++ and C, referenced
// through the public headers: this compiles only if each row's signature is
// declared there exactly and its C functions are declared in
// hostmath/hostmath_c.h, and the object's undefined symbols are the registry's
// list of names, which check_exported_symbols.cmake compares with what the
// library exports.
#include "hostmath/hostmath_c.h"
#include "registry.h"

#define HOSTMATH_REFERENCE(name, R, P, family, code, widest, array, bound, c_name)                             \
    reinterpret_cast<const void*>(HOSTMATH_REGISTRY_SCALAR(name, R, P)), HOSTMATH_REFERENCE_BATCH_##array(name, R, P) \
        reinterpret_cast<const void*>(&hostmath_##c_name), HOSTMATH_REFERENCE_C_BATCH_##array(c_name)
#define HOSTMATH_REFERENCE_BATCH_none(name, R, P)
#define HOSTMATH_REFERENCE_BATCH_map(name, R, P) reinterpret_cast<const void*>(HOSTMATH_REGISTRY_BATCH(map, name, R, P)),
#define HOSTMATH_REFERENCE_BATCH_sincos(name, R, P) \
    reinterpret_cast<const void*>(HOSTMATH_REGISTRY_BATCH(sincos, name, R, P)),
#define HOSTMATH_REFERENCE_BATCH_pairs(name, R, P) \
    reinterpret_cast<const void*>(HOSTMATH_REGISTRY_BATCH(pairs, name, R, P)),
#define HOSTMATH_REFERENCE_C_BATCH_none(c_name)
#define HOSTMATH_REFERENCE_C_BATCH_map(c_name) reinterpret_cast<const void*>(&hostmath_batch_##c_name),
#define HOSTMATH_REFERENCE_C_BATCH_sincos HOSTMATH_REFERENCE_C_BATCH_map
#define HOSTMATH_REFERENCE_C_BATCH_pairs HOSTMATH_REFERENCE_C_BATCH_map

extern const void* const hostmath_registry_symbols[];
const void* const hostmath_registry_symbols[] = {HOSTMATH_REGISTRY(HOSTMATH_REFERENCE) nullptr};
