// The one place that decides how the eval and check subcommands apply a
// function to arrays: through its array form where the library has one,
// else the scalar function in a loop.
#ifndef HOSTMATH_ARRAY_FORM_H
#define HOSTMATH_ARRAY_FORM_H

#include "cli.h"

namespace hostmath_cli {

// Applies f to n elements.  The pointers must be aligned for their element
// types (the scalar loop would not need it; the array forms do).
ArrayCall array_form(const Function& f);

}  // namespace hostmath_cli

#endif
