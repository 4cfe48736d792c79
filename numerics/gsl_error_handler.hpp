#pragma once

namespace numerics {

// Switches GSL's abort-on-error handler off, so that its routines return their status codes to
// the caller. Called once before the first integration; calling it again does no harm.
void use_gsl_status_codes();

}  // namespace numerics
