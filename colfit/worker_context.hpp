#pragma once
// The work storage of one worker: the quadrature drivers that the models integrate with (whose
// reports the fit holds back: nothing reaches the message file).

#include <cstdint>

#include "common/message_file.hpp"
#include "numerics/quadrature.hpp"

namespace colfit {

struct WorkerContext {
    explicit WorkerContext(std::int32_t limit) : quadrature(limit, messages) {}
    WorkerContext(const WorkerContext&) = delete;
    WorkerContext& operator=(const WorkerContext&) = delete;

    // Every evaluation holds the quadrature's reports back, so nothing is written; and were anything
    // written, it would not land in a message file of the folder the program was started in.
    common::MessageFile messages{"/dev/null"};
    numerics::Quadrature quadrature;
};

}  // namespace colfit
