// The tie of l2 to Kirr, as the generator writes it into the control file: l2 follows Kirr at the
// ratio of their initial values while both flags are 1, and keeps its initial value otherwise.
#include "colfit/parameter_space.hpp"

#include <gtest/gtest.h>

#include "tests/colfit/fit_inputs_support.hpp"

namespace colfit {
namespace {

constexpr std::size_t kKirr = 3;
constexpr std::size_t kL2 = 7;

TEST(ParameterSpace, L2FollowsKirrOnlyWhileBothFlagsAreOne) {
    struct Case {
        std::int32_t kirr_flag, l2_flag;
        Role l2_role;
        double l2_after_kirr_doubles;  // initial values: Kirr 0.03, l2 0.015
    };
    const Case cases[] = {
        {1, 1, Role::tied, 0.03},    // tied at the ratio 0.5
        {1, 0, Role::fixed, 0.015},  // l2 fixed
        {1, 2, Role::fixed, 0.015},  // any flag but 1 fixes
        {0, 1, Role::fixed, 0.015},  // Kirr fixed: l2 is untied and fixed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kirr_flag << " " << c.l2_flag);
        FitInputs inputs = colfit_test::example_inputs();
        inputs.pars.parfitflag[0] = 1;  // Dcx, so that something is estimated
        inputs.pars.parfitflag[kKirr] = c.kirr_flag;
        inputs.pars.parfitflag[kL2] = c.l2_flag;
        const FitProblem problem = make_fit_problem(inputs);
        EXPECT_EQ(problem.parameters[kL2].role, c.l2_role);
        const ParameterSpace space(problem);
        std::vector<double> s = space.start();
        for (std::size_t j = 0; j < space.size(); ++j) {
            if (space.record(j) == kKirr) s[j] = to_statistical(space.scale(j), 0.06);
        }
        const ParameterValues values = space.values(s);
        EXPECT_NEAR(values[kL2], c.l2_after_kirr_doubles, 1e-15);
        EXPECT_EQ(values[4], 4.0);  // U, fixed, keeps its initial value
    }
}

}  // namespace
}  // namespace colfit
