#include "coltrans/colloid_input.hpp"

#include <string_view>

#include "common/io_result.hpp"
#include "common/list_input.hpp"

namespace coltrans {
namespace {

// Each settings read is one free-format statement: a blank line supplies no value and the read
// goes on to the next line, so later settings shift by one line.
void read_setting(common::RecordFile& file, common::InItem item, std::string_view what) {
    common::require(common::read_list(file, {item}), file.path(),
                    std::string("cannot read ") + std::string(what) + " from");
}

}  // namespace

ColloidInput::ColloidInput(std::string path)
    : file_(common::RecordFile::open_or_fail(std::move(path), common::OpenMode::existing)) {
    ColloidSettings& s = settings_;
    read_setting(file_, &s.sim_mode, "the simulation mode (line 1)");
    read_setting(file_, &s.d, "D (line 2)");
    read_setting(file_, &s.kc, "kc (line 3)");
    read_setting(file_, &s.kr, "kr (line 4)");
    read_setting(file_, &s.lamda, "lamda (line 5)");
    read_setting(file_, &s.u, "U (line 6)");
    read_setting(file_, &s.line7, "line 7");
    read_setting(file_, &s.theta, "Theta (line 8)");
    read_setting(file_, &s.lamdas, "lamdas (line 9)");
    read_setting(file_, &s.line10, "line 10");
    read_setting(file_, &s.rh0, "rh0 (line 11)");
    common::require(common::skip_record(file_), file_.path(), "cannot read line 12 of");
    common::require(common::skip_record(file_), file_.path(), "cannot read line 13 of");
    std::string title;  // line 14: a text that nothing uses
    read_setting(file_, common::TextItem{&title, 60}, "the text of line 14");
    common::require(common::read_list(file_, {&s.errrel, &s.errabs, &s.limit}), file_.path(),
                    "cannot read ERRREL, ERRABS and limit (line 15) from");
    common::require(common::skip_record(file_), file_.path(), "cannot read line 16 of");
}

std::optional<std::int32_t> ColloidInput::count_points() {
    std::int32_t count = 0;
    double t = 0.0;
    double x = 0.0;
    while (true) {
        const common::IoResult read = common::read_list(file_, {&t, &x});
        if (read.is_end()) return count;
        if (!read) {
            failed_read_ = read;
            return std::nullopt;
        }
        ++count;
    }
}

bool ColloidInput::rewind_to_points() {
    failed_read_ = file_.rewind();
    if (!failed_read_) return false;
    for (int line = 1; line <= kSettingsLines; ++line) {
        failed_read_ = common::skip_record(file_);
        if (!failed_read_) {
            failed_read_.line = file_.record_number() + 1;
            return false;
        }
    }
    return true;
}

PointRead ColloidInput::next_point(double& t, double& x) {
    const common::IoResult read = common::read_list(file_, {&t, &x});
    if (read.is_end()) return PointRead::end;
    if (!read) {
        failed_read_ = read;
        return PointRead::unreadable;
    }
    return PointRead::point;
}

}  // namespace coltrans
