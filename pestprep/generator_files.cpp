#include "pestprep/generator_files.hpp"

#include "common/io_result.hpp"

namespace pestprep {
namespace {

constexpr std::string_view kSystemFiles = "SystemFiles";

common::RecordFile open_file(std::string path) {
    return common::RecordFile::open_or_fail(std::move(path), common::OpenMode::any);
}

void close_file(common::RecordFile& file) {
    common::require(file.close(), file.path(), "cannot close");
}

}  // namespace

GeneratorFiles open_generator_files(const common::RunDirectory& run) {
    GeneratorFiles files;
    files.print_ins = open_file(run.file("print.ins"));
    files.input_tpl = open_file(run.file("input.tpl"));
    files.control = open_file(run.file("tracer_fit.pst"));
    files.run_record = open_file(run.file("tracer_fit.rec"));
    files.backup = open_file(run.file("tracer_fit_pst_temp.txt"));
    files.pars_to_fit = open_file(run.file(kSystemFiles, "ParsToFit.txt"));
    files.time_coords = open_file(run.file(kSystemFiles, "TimeAndCoords.txt"));
    files.exp_data = open_file(run.file(kSystemFiles, "ExpData.txt"));
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
