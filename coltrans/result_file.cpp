#include "coltrans/result_file.hpp"

#include <cmath>
#include <limits>

#include "common/format.hpp"
#include "common/io_result.hpp"

namespace coltrans {
namespace {

constexpr char kTab[] = "\t";
const std::string kUnderscores(73, '_');

}  // namespace

std::array<std::string, 3> result_header_records(ResultTable table) {
    if (table == ResultTable::sorption) {
        return {common::list_record({"This is the sorbed concetration output. "}),
                common::list_record({"   t (Time),      C (Solute Conce),     C* (adsorb Concet)"}),
                common::list_record({std::string_view(kUnderscores)})};
    }
    return {common::list_record(
                {"Below the time t, the potiosion x or C, and the Concetration  C or C*,  can be seen "}),
            common::list_record({"   t (Time),      x (Lenght),     C (Concetration)"}),
            common::list_record({std::string_view(kUnderscores)})};
}

double result_value_for_output(double computed) {
    return std::fabs(computed) < std::numeric_limits<double>::min() ? 0.0 : computed;
}

std::string result_record(double first, double second, double computed) {
    static const common::Format format("(Es15.5,A1,Es15.5,A1,Es18.9E3)");
    return format.apply(
        {first, std::string_view(kTab), second, std::string_view(kTab), result_value_for_output(computed)});
}

ResultFile::ResultFile(std::string path)
    : file_(common::RecordFile::open_or_fail(std::move(path), common::OpenMode::any)) {}

void ResultFile::write_header(ResultTable table) {
    for (const std::string& record : result_header_records(table)) {
        common::require(file_.write_record(record), file_.path(), "cannot write the header of");
    }
}

bool ResultFile::write_header_checked(ResultTable table) {
    const std::array<std::string, 3> header = result_header_records(table);
    if (!file_.write_record(header[0]) || !file_.flush()) return false;
    for (std::size_t k = 1; k < header.size(); ++k) {
        common::require(file_.write_record(header[k]), file_.path(), "cannot write the header of");
    }
    return true;
}

void ResultFile::flush() {
    common::require(file_.flush(), file_.path(), "cannot write");
}

void ResultFile::write_result(double first, double second, double computed) {
    common::require(file_.write_record(result_record(first, second, computed)), file_.path(),
                    "cannot write a result to");
}

}  // namespace coltrans
