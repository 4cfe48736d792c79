#include "common/message_file.hpp"

#include "common/failure.hpp"

namespace common {

void MessageFile::write(std::string_view text) {
    write_list({text});
}

void MessageFile::write_list(std::initializer_list<OutItem> items) {
    if (!file_.is_open()) {
        const IoResult opened = file_.open(path_, OpenMode::any);
        require(opened, path_, "cannot open the message file");
    }
    const IoResult written = file_.write_record(list_record(items));
    require(written, path_, "cannot write to the message file");
    require(file_.flush(), path_, "cannot write to the message file");
}

}  // namespace common
