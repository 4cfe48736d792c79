#pragma once
// What the quadrature drivers write to the run's message file for each code of QAG.

#include <cstdio>

#include "common/message_file.hpp"

namespace numerics {

// Which integration a code comes from: the single integral of dqdag (also the outer integral of
// dtwodq), or one of the inner integrals of dtwodq.
enum class QagLevel { single, inner };

// Writes the records for the code at that level, one free-format record per line; code 6 also
// pauses (answer read from `answers`) between its two records. Returns whether a pause was made and
// resumed. A pause not resumed ends the program (common::ProgramEnd).
bool report_qag_code(int ier, QagLevel level, common::MessageFile& messages, std::FILE* answers);

}  // namespace numerics
