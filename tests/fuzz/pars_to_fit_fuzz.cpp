// ParsToFit.txt: a heading line, then twelve records of initial value, fit flag, lower bound, upper
// bound and label. What is read goes into the parameter lines of the control file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/record_source.hpp"
#include "pestprep/control_records.hpp"
#include "pestprep/generator_data.hpp"
#include "pestprep/generator_inputs.hpp"
#include "tests/fuzz/fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    common::StringRecords records = common::StringRecords::from_text(fuzz_support::text_of(data, size));
    fuzz_support::run_case([&] {
        pestprep::ParsToFit pars;
        if (!pestprep::load_pars_to_fit(records, "ParsToFit.txt", pars)) return;
        pestprep::creating_files::ParameterFields fields;
        fields.fill(std::string(pestprep::creating_files::kParameterFieldWidth, ' '));
        for (std::size_t r = 0; r < pestprep::kParameterCount; ++r) {
            const std::string change =
                pestprep::creating_files::getrelatorfactor(pars.parboundarymin[r], pars.parboundarymax[r]);
            const std::string line = pestprep::creating_files::parameter_line(
                fields, pestprep::creating_files::kTransformNone, change, pars.parvalue[r],
                pars.parboundarymin[r], pars.parboundarymax[r]);
            if (line.size() != 180) __builtin_trap();
        }
    });
    return 0;
}
