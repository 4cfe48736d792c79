#pragma once
// The eight files a generator run touches, opened at its start in a fixed order and kept open until
// its end. Each is opened without a status: an existing file as it is, a missing one created empty.

#include "common/record_file.hpp"
#include "common/run_directory.hpp"

namespace pestprep {

struct GeneratorFiles {
    common::RecordFile print_ins;    // print.ins, the instruction file
    common::RecordFile input_tpl;    // input.tpl, the template
    common::RecordFile control;      // tracer_fit.pst, the PEST control file
    common::RecordFile run_record;   // tracer_fit.rec, PEST's run record: opened and closed only
    common::RecordFile backup;       // tracer_fit_pst_temp.txt, the control file's back-up
    common::RecordFile pars_to_fit;  // SystemFiles/ParsToFit.txt
    common::RecordFile time_coords;  // SystemFiles/TimeAndCoords.txt
    common::RecordFile exp_data;     // SystemFiles/ExpData.txt
};

// Opens the eight files in the order of the members above. A file that cannot be opened (for
// example in a missing SystemFiles folder) ends the program after the ones before it were opened.
GeneratorFiles open_generator_files(const common::RunDirectory& run);

// Closes the files: the back-up, the instruction file, the template, the control file, the run
// record, ParsToFit.txt, TimeAndCoords.txt, ExpData.txt.
void close_generator_files(GeneratorFiles& files);

}  // namespace pestprep
