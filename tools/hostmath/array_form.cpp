#include "array_form.h"

namespace hostmath_cli {

ArrayCall array_form(const Function& f) { return f.batch ? f.batch : f.each; }

}  // namespace hostmath_cli
