#pragma once
// fit.gp and fit.png: the picture of the fit, drawn with gnuplot as the demo draws its pictures.
// Above, the measured points and the fitted model as a dense curve (one per position); below, the
// weighted residuals w (measured - fitted). The script holds the dense curve itself and reads the
// points from fit_curve.txt beside it, so that "gnuplot fit.gp" in the run directory redraws it.

#include <optional>
#include <string>
#include <vector>

#include "colfit/dense_curve.hpp"
#include "colfit/fit_report.hpp"

namespace colfit {

inline constexpr std::string_view kPlotScript = "fit.gp";
inline constexpr std::string_view kPlotPicture = "fit.png";

std::vector<std::string> plot_script_records(const FitReport& report, const std::vector<DenseCurve>& curves);

// Runs gnuplot on the script in `directory`, with no input and its output dropped (its error
// stream is the program's). The reason when it could not draw the picture, nothing when it did.
std::optional<std::string> draw_picture(const std::string& directory);

}  // namespace colfit
