#include "pestprep/template_files.hpp"

#include <string>

#include "common/format.hpp"
#include "pestprep/observation_names.hpp"

namespace pestprep::creating_files {
namespace {

// Every settings line is one character item of this length.
constexpr std::size_t kSettingsLineLength = 200;

void write(common::RecordFile& file, std::string_view record) {
    common::require(file.write_record(record), file.path(), "cannot write");
}

}  // namespace

const std::array<std::string_view, 16> kTemplateSettingsLines{
    "#SimMode       #        !       simMode= the simulation mode. If we have &instantaneous we set it to 0 "
    "if "
    "we have broadpulse we set it to 1",
    "#Dcx           #\t!\tD=hydrodynamic\tdispersion\tcoefficient\t[cm^2/hr]",
    "#R1             #       !\tkc=clogging\trate\tconstant\t[1/hr]",
    "#R2             #       !\tkr=declogging\trate\tconstant\t[1/hr]",
    "#Kirr           # \t!\tlambda=inactivation\tconstant\tof\tsuspended\tviruses\t[1/hr]",
    "#U             #\t!\tU=average\tinterstitial\tvelocity\t[cm/hr]",
    "#tp             #\t!\tpulsetime=pulse\ttime\t[hr]",
    "#th            #\t!\ttheta=porosity\t[-]",
    "#l2             #\t!\tlambdaS=inactivation\tconstant\tof\tadsorbed\tviruses\t[1/hr]",
    "#C0             #       !\tconc0=source\tconcentration\t[g/cm^3]",
    "1.86\t                !\trho=bulk\tdensity\tof\tthe\tsolid\tmatrix\t[g/cm^3]",
    "#M0             #       !  Space for future reference   !  m0=injected mass in case of instantaneous "
    "simulation",
    "#A0             #       !  Space for future reference   !    A0=Crossection area in a case of "
    "instantaneous simulation",
    "Saved_Simulations\\Total_Runs1.txt",
    "2.3E-4  0.3  300   !ERRREL2,ERRABS2 , limit!  left are three numbers, ! ERRREL2 = Relative &accuracy "
    "desired  ! ERRABS2 = Absolute accuracy desired ! Limit =max subdivisions",
    "t (Time),      x(X coordinate)",
};

void input_tpl_file(common::RecordFile& tpl, std::span<const double> tvector,
                    std::span<const double> xvector) {
    write(tpl, "ptf #");
    for (const std::string_view text : kTemplateSettingsLines) {
        std::string item(text);
        item.resize(kSettingsLineLength, ' ');
        write(tpl, common::list_record({item}));
    }
    const common::Format point_line("(Es15.7,\"   \",Es15.7 )");
    for (std::size_t i = 0; i < tvector.size(); ++i) {
        write(tpl, point_line.apply({tvector[i], xvector[i]}));
    }
    common::require(tpl.flush(), tpl.path(), "cannot write");
}

void print_ins_file(common::RecordFile& ins, std::int32_t cNum) {
    write(ins, common::format_record("(A5)", {"pif #"}));
    write(ins, common::list_record({"l4", "\t", "!dum!", "\t", "!dum!", "\t", "!cn1!"}));
    for (std::int32_t i = 2; i <= cNum; ++i) {
        std::string name(1, '!');
        name.append(observation_name(i)).push_back('!');
        write(ins, common::list_record({"l1", "\t", "!dum!", "\t", "!dum!", "\t", name}));
    }
    common::require(ins.flush(), ins.path(), "cannot write");
}

}  // namespace pestprep::creating_files
