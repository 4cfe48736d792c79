#pragma once
// GSL's matrices and vectors owned by a handle that frees them.

#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <cstddef>
#include <memory>

namespace numerics {

struct GslMatrixFree {
    void operator()(gsl_matrix* m) const noexcept { gsl_matrix_free(m); }
};
struct GslVectorFree {
    void operator()(gsl_vector* v) const noexcept { gsl_vector_free(v); }
};
using GslMatrix = std::unique_ptr<gsl_matrix, GslMatrixFree>;
using GslVector = std::unique_ptr<gsl_vector, GslVectorFree>;

// A matrix or vector of zeros.
inline GslMatrix gsl_zero_matrix(std::size_t rows, std::size_t columns) {
    return GslMatrix(gsl_matrix_calloc(rows, columns));
}
inline GslVector gsl_zero_vector(std::size_t size) {
    return GslVector(gsl_vector_calloc(size));
}

}  // namespace numerics
