#include "numerics/gsl_error_handler.hpp"

#include <gsl/gsl_errno.h>

namespace numerics {

void use_gsl_status_codes() {
    gsl_set_error_handler_off();
}

}  // namespace numerics
