#pragma once
// print.txt, the result file that PEST reads: three header records, then one result record per
// point, "(Es15.5,A1,Es15.5,A1,Es18.9E3)" with a tab as each A1 item, always 50 characters.
// The run archive repeats these records, so both files use the writers here.

#include <array>
#include <string>
#include <string_view>

#include "common/record_file.hpp"

namespace coltrans {

// The two layouts of the result file.
enum class ResultTable {
    colloid,   // t, x, C
    sorption,  // t, C, C*
};

// The three header records (free-format text records).
std::array<std::string, 3> result_header_records(ResultTable table);

// The value written for a computed result: a magnitude below the smallest normal double (zero and
// subnormal numbers, which some calibration engines cannot read) is written as 0; every other value
// as it is.
double result_value_for_output(double computed);

// One result record: the two values of the point, then the computed value.
std::string result_record(double first, double second, double computed);

// print.txt, opened without a status (an existing file is rewritten from its start). Every failure
// to open or write ends the program (unhandled).
class ResultFile {
  public:
    explicit ResultFile(std::string path);

    void write_header(ResultTable table);
    // The header with a handler for its first record, which is put out at once, so that a file that
    // takes nothing (a full disk, a read-only device) fails there: false then. The other two records
    // have no handler.
    bool write_header_checked(ResultTable table);
    void write_result(double first, double second, double computed);
    // Puts out what is buffered (no handler).
    void flush();

    common::RecordFile& file() noexcept { return file_; }
    const std::string& path() const noexcept { return file_.path(); }

  private:
    common::RecordFile file_;
};

}  // namespace coltrans
