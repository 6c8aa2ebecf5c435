// The call yardstick of the scalar conversions: exported functions of a shared
// library that return their argument, so that timing one costs exactly the call
// through the procedure linkage table that every hostmath function pays.
#define BENCH_IDENTITY_API __attribute__((visibility("default")))

BENCH_IDENTITY_API unsigned short bench_identity_2(unsigned short x) { return x; }
BENCH_IDENTITY_API float bench_identity_4(float x) { return x; }
BENCH_IDENTITY_API double bench_identity_8(double x) { return x; }
