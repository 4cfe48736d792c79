#!/bin/sh
# Runs the examples: installs what is missing, builds, copies examples/ to a scratch folder and runs
# the programs there as a user (and a calibration engine) would. examples/ itself is never changed.
#   - a run folder with SystemFiles/ first gets the PEST files from pestprep, then an input.txt
#     written from the template with the control file's initial values, as PEST writes it before
#     its first model run;
#   - every run folder with an input.txt is then simulated by coltrans;
#   - the simulated curve of every example is drawn with gnuplot, against the measured points
#     where the example has them, into <example>/<example>.png (the gnuplot script beside it
#     redraws the picture after a new run: cd <example> && gnuplot <example>.gp);
#   - a run folder with SystemFiles/ is then fitted by colfit, in-process, which writes its
#     results and draws the fitted curve into run/fit.png.
# The scratch folder is scratch/demo, or $DEMO_DIR when set.
set -eu
cd "$(dirname "$0")/.."
root="$(pwd)"

scripts/setup-deps.sh
scripts/build.sh default >/dev/null

scratch="${DEMO_DIR:-$root/scratch/demo}"
rm -rf "$scratch"
mkdir -p "$scratch"
cp -R examples/. "$scratch/"

# The model family of a SimMode value (the first number of input.txt line 1).
mode_name() {
    awk -v mode="$1" 'BEGIN {
        m = int(mode + 0)
        if (m >= 0 && m <= 11 && m % 2 == 0) print "instantaneous injection (SimMode " m ")"
        else if (m >= 0 && m <= 11) print "broad pulse (SimMode " m ")"
        else print "batch sorption, sorption type " m " (SimMode " m ")"
    }'
}

# First number of the first line of a file (SimMode of input.txt).
first_number() {
    awk 'NR == 1 { print $1 + 0; exit }' "$1"
}

# Position of the first result line of print.txt (the colloid examples compute one position).
first_position() {
    awk 'NR == 4 { print $2 + 0; exit }' "$1"
}

# The lines every picture begins with: the PNG terminal, the output file, the title, the time axis.
plot_preamble() {
    echo "set terminal pngcairo size 1000,650 enhanced font 'DejaVu Sans,12' linewidth 1.5"
    echo "set output '$1.png'"
    printf '%s\n' "set title \"$2\" font ',14' noenhanced"
    echo "set xlabel 'time t [hr]'"
}

# Writes <example>/<example>.gp for a colloid example: simulated concentration against time, and
# the measured points of <example>/measured.dat when that file exists.
colloid_plot_script() {
    example="$1"
    title="$2"
    {
        plot_preamble "$example" "$title"
        echo "set ylabel 'concentration C [g/cm^3]'"
        echo "set format y '%g'"
        echo "set grid lc rgb '#d0d0d0'"
        echo "set key top right box opaque"
        echo "set xrange [0:*]"
        echo "set yrange [0:*]"
        echo "set offsets 0, 0, graph 0.05, 0"
        if [ -f "$scratch/$example/measured.dat" ]; then
            echo "plot 'run/print.txt' skip 3 using 1:3 with lines lw 2 lc rgb '#1f5fbf' title 'simulated (coltrans, print.txt)', \\"
            echo "     'measured.dat' using 1:2 with points pt 7 ps 1.1 lc rgb '#d62020' title 'measured (SystemFiles/ExpData.txt)'"
        else
            echo "plot 'run/print.txt' skip 3 using 1:3 with lines lw 2 lc rgb '#1f5fbf' title 'simulated (coltrans, print.txt)'"
        fi
    } >"$scratch/$example/$example.gp"
}

# Writes <example>/<example>.gp for a sorption example: the measured solute concentration C (the
# point list, left axis) and the simulated sorbed concentration C* (right axis) against time.
sorption_plot_script() {
    example="$1"
    title="$2"
    {
        plot_preamble "$example" "$title"
        echo "set ylabel 'solute concentration C [mg/L]' tc rgb '#d62020'"
        echo "set y2label 'sorbed concentration C* [mg/kg]' tc rgb '#1f5fbf'"
        echo "set ytics nomirror tc rgb '#d62020'"
        echo "set y2tics nomirror tc rgb '#1f5fbf'"
        echo "set grid lc rgb '#d0d0d0'"
        echo "set key bottom right box opaque"
        echo "set autoscale xfix"
        echo "set autoscale yfixmax"
        echo "set offsets graph 0.02, graph 0.02, graph 0.05, 0"
        echo "set yrange [0:*]"
        echo "set y2range [0:*]"
        echo "plot 'run/print.txt' skip 3 using 1:2 axes x1y1 with points pt 7 ps 1.1 lc rgb '#d62020' title 'measured C (input.txt point list)', \\"
        echo "     'run/print.txt' skip 3 using 1:3 axes x1y2 with lines lw 2 lc rgb '#1f5fbf' title 'simulated C* (coltrans, print.txt)'"
    } >"$scratch/$example/$example.gp"
}

status=0
for run in "$scratch"/*/run; do
    example=$(basename "$(dirname "$run")")
    if [ -d "$run/SystemFiles" ]; then
        echo "== $example: pestprep"
        cp build/bin/pestprep "$run/pestprep"
        (cd "$run" && ./pestprep </dev/null) || status=$?
        echo "== $example: input.txt from input.tpl with the initial values of tracer_fit.pst"
        build/bin/pest_emulator fill "$run/tracer_fit.pst" "$run/input.tpl" "$run/input.txt" || status=$?
    fi
    [ -f "$run/input.txt" ] || continue
    echo "== $example: coltrans"
    cp build/bin/coltrans "$run/coltrans"
    if ! (cd "$run" && ./coltrans </dev/null); then
        status=1
        continue
    fi

    # The measured points of a calibration: sampling time (TimeAndCoords.txt) and concentration
    # (ExpData.txt), one point per line after each file's heading line.
    if [ -f "$run/SystemFiles/ExpData.txt" ] && [ -f "$run/SystemFiles/TimeAndCoords.txt" ]; then
        paste "$run/SystemFiles/TimeAndCoords.txt" "$run/SystemFiles/ExpData.txt" |
            awk 'NR > 1 { gsub(/\r/, ""); if (NF >= 3) print $1, $3 }' >"$scratch/$example/measured.dat"
    fi
    if [ -f "$run/print.ins" ]; then
        echo "== $example: observations read back from print.txt through print.ins"
        build/bin/pest_emulator read "$run/print.ins" "$run/print.txt" >"$scratch/$example/observations.txt" ||
            status=$?
    fi

    mode=$(first_number "$run/input.txt")
    family=$(mode_name "$mode")
    case "$family" in
    batch*)
        sorption_plot_script "$example" \
            "$example example: $family\\nmeasured solute concentration C, simulated sorbed concentration C*"
        ;;
    *)
        subtitle="breakthrough curve at x = $(first_position "$run/print.txt") cm"
        [ -f "$run/input.tpl" ] && subtitle="$subtitle, parameters: the initial values of tracer_fit.pst"
        colloid_plot_script "$example" "$example example: $family\\n$subtitle"
        ;;
    esac
    echo "== $example: $example.png"
    (cd "$scratch/$example" && gnuplot "$example.gp") || status=1
done

# The calibration in-process: colfit fits the same problem as the engine would, from SystemFiles.
for run in "$scratch"/*/run; do
    [ -d "$run/SystemFiles" ] || continue
    example=$(basename "$(dirname "$run")")
    echo "== $example: colfit, the fit in-process (fit_report.txt, fit.png)"
    cp build/bin/colfit "$run/colfit"
    (cd "$run" && ./colfit </dev/null) || status=1
done

echo
echo "Results are in $scratch:"
for run in "$scratch"/*/run; do
    [ -f "$run/print.txt" ] && echo "  $run/print.txt"
done
for archive in "$scratch"/*/Saved_Simulations/Total_Runs1.txt; do
    [ -f "$archive" ] && echo "  $archive"
done
for observations in "$scratch"/*/observations.txt; do
    [ -f "$observations" ] && echo "  $observations"
done
echo "Pictures:"
for picture in "$scratch"/*/*.png "$scratch"/*/run/fit.png; do
    [ -f "$picture" ] && echo "  $picture"
done
echo "Fits (colfit):"
for report in "$scratch"/*/run/fit_report.txt; do
    [ -f "$report" ] && echo "  $report (and fit_summary.json, fit_parameters.par, fit_curve.txt, fit_input.txt beside it)"
done
exit $status
