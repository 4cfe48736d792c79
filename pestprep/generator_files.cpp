#include "pestprep/generator_files.hpp"

#include "common/io_result.hpp"

namespace pestprep {
namespace {

constexpr std::string_view kSystemFiles = "SystemFiles";

// An input: it must exist, and is only read (the control file too: its new contents replace it).
common::RecordFile open_input(std::string path) {
    return common::RecordFile::open_or_fail(std::move(path), common::OpenMode::existing);
}

// An output: opened as it is, or created empty.
common::RecordFile open_output(std::string path) {
    return common::RecordFile::open_or_fail(std::move(path), common::OpenMode::any);
}

void close_file(common::RecordFile& file) {
    common::require(file.close(), file.path(), "cannot close");
}

}  // namespace

GeneratorFiles open_generator_files(const common::RunDirectory& run) {
    GeneratorFiles files;
    files.control = open_input(run.file("tracer_fit.pst"));
    files.pars_to_fit = open_input(run.file(kSystemFiles, "ParsToFit.txt"));
    files.time_coords = open_input(run.file(kSystemFiles, "TimeAndCoords.txt"));
    files.exp_data = open_input(run.file(kSystemFiles, "ExpData.txt"));
    files.print_ins = open_output(run.file("print.ins"));
    files.input_tpl = open_output(run.file("input.tpl"));
    files.run_record = open_output(run.file("tracer_fit.rec"));
    files.backup = open_output(run.file("tracer_fit_pst_temp.txt"));
    return files;
}

void close_generator_files(GeneratorFiles& files) {
    for (common::RecordFile* file :
         {&files.backup, &files.print_ins, &files.input_tpl, &files.control, &files.run_record,
          &files.pars_to_fit, &files.time_coords, &files.exp_data}) {
        close_file(*file);
    }
}

}  // namespace pestprep
