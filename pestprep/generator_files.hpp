#pragma once
// The eight files a generator run touches, opened at its start in a fixed order and kept open until
// its end. The four inputs (the control file and the three files in SystemFiles) must exist and are
// opened first, so that a missing one ends the run before any file is created; the outputs are
// then opened as they are, or created empty.

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

// Opens the control file, ParsToFit.txt, TimeAndCoords.txt, ExpData.txt, then the instruction file,
// the template, the run record and the back-up. A file that cannot be opened (a missing input, or
// a folder where a file belongs) ends the program with a diagnostic that names it, after the ones
// before it were opened.
GeneratorFiles open_generator_files(const common::RunDirectory& run);

// Closes the files: the back-up, the instruction file, the template, the control file, the run
// record, ParsToFit.txt, TimeAndCoords.txt, ExpData.txt.
void close_generator_files(GeneratorFiles& files);

}  // namespace pestprep
