# The checks the two packages share, sourced by scripts/windows-build --run and scripts/linux-package
# --run: the frame both render, the console lines they must print, the Linux build's reference frame and
# the comparison with it, and unpacking a package where nothing else lies. Expects $root and $runs.

# The frame: 24 s into the orb's cycle at 0.1 s a frame, with fixed particles; the same as the Linux
# build's reference-frame test, in a larger window.
frame_switches=(DEMO_FRAMES=240 DEMO_TIMESTEP=0.1 DEMO_SEED=1)
window=(-d 640 360)
screen=(-s "-screen 0 1920x1080x24")

step() { echo "== $*"; }

status_line() { printf '\t\t%s %s%s\n' "$1" "$(printf '%*s' $((37 - ${#1})) '' | tr ' ' .)" "$2"; }
started_up() { printf 'INITIALIZING LIBRARIES:\n'; status_line GLFW OK!; status_line WINDOW OK!; status_line GLEW OK!; }
shut_down() { printf 'CLEANING UP LIBRARIES:\n'; status_line WINDOW OK!; status_line GLFW OK!; }

passes=0
failures=0
passed() { echo "ok: $1"; passes=$((passes + 1)); }
failed() { echo "FAILED: $1"; failures=$((failures + 1)); }
# Compares runs/NAME.out with runs/NAME.expected byte for byte.
check_output() {
  if cmp -s "$runs/$1.expected" "$runs/$1.out"; then
    passed "$2"
  else
    failed "$2"
    echo "--- expected (cat -A)"; cat -A "$runs/$1.expected"; echo
    echo "--- actual (cat -A)"; cat -A "$runs/$1.out"; echo
    echo "--- standard error"; cat "$runs/$1.err"
  fi
}
check_status() {
  if [ "$2" = "$3" ]; then passed "$1: exit status $3"; else failed "$1: exit status $3, expected $2"; fi
}

# Builds the Linux demo (the dev preset, as scripts/run does) and renders the frame into runs/linux.png.
render_linux_reference() {
  step "building the Linux demo for the reference capture"
  nice -n 10 "$root/scripts/build" dev >/dev/null
  local status=0
  (cd "$root/build" && env "${frame_switches[@]}" DEMO_CAPTURE="$runs/linux.png" \
    xvfb-run -a "${screen[@]}" ./demo "${window[@]}" </dev/null >"$runs/linux.out" 2>"$runs/linux.err") ||
    status=$?
  [ $status -eq 0 ] && [ -f "$runs/linux.png" ] ||
    { echo "the Linux demo failed (status $status):" >&2; cat "$runs/linux.err" >&2; exit 1; }
}

# check_capture WHAT CAPTURE [REFERENCE]: CAPTURE against REFERENCE (runs/linux.png) with the metric and thresholds of the
# reference-frame tests (tests/e2e/FrameTest.cpp): the mean absolute difference over all channels, in
# levels of 255, under 1.0, and under 0.35 % of the pixels with some channel more than 16 levels apart.
# ImageMagick computes both from the per-channel difference image: its channels' mean, and the share of
# pixels whose largest channel difference exceeds 16.5/255 (captures are 8-bit, so that is "more than 16").
check_capture() {
  local what="$1" capture="$2" reference="${3:-$runs/linux.png}"
  if [ ! -f "$capture" ]; then
    failed "$what: no capture written"
    return
  fi
  local linux_size capture_size
  linux_size="$(identify -format '%wx%h' "$reference")"
  capture_size="$(identify -format '%wx%h' "$capture")"
  if [ "$linux_size" != "$capture_size" ]; then
    failed "$what: capture of $capture_size, the Linux build's $linux_size"
    return
  fi
  local difference=(convert "$reference" "$capture" -alpha off -compose difference -composite -separate)
  local mean beyond verdict
  mean="$("${difference[@]}" -evaluate-sequence mean -format '%[fx:255*mean]' info:)"
  beyond="$("${difference[@]}" -evaluate-sequence max -threshold 6.4706% -format '%[fx:mean]' info:)"
  verdict="mean difference $mean levels, $(awk -v f="$beyond" 'BEGIN { printf "%.4f", 100 * f }') % of pixels beyond 16"
  if awk -v m="$mean" -v f="$beyond" 'BEGIN { exit !(m < 1.0 && f < 0.0035) }'; then
    passed "$what: capture matches the Linux build's ($verdict)"
  else
    failed "$what: capture differs from the Linux build's ($verdict; $capture against $reference)"
  fi
}

# packaged_file LOG [ENDING]: the package file CPack reported in its log (the last one, or the one whose
# name ends in ENDING).
packaged_file() { sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$1" | grep -F -- "${2:-}" | tail -n 1; }

# check_sha256 FILE: FILE against the SHA-256 file beside it; ends the check when they differ.
check_sha256() {
  (cd "$(dirname "$1")" && sha256sum --quiet -c "$(basename "$1").sha256") ||
    { echo "$1 does not match its SHA-256 file" >&2; exit 1; }
  passed "$(basename "$1") matches its SHA-256 file"
}

# unpack_package FILE FOLDER: checks FILE against the SHA-256 file beside it, unpacks it into the empty
# FOLDER and sets $unpacked to the one folder the package holds.
unpack_package() {
  local file="$1" folder="$2"
  check_sha256 "$file"
  (cd "$folder" && cmake -E tar xf "$file")
  local top=("$folder"/*)
  [ ${#top[@]} -eq 1 ] && [ -d "${top[0]}" ] || { echo "$file does not hold exactly one folder" >&2; exit 1; }
  unpacked="${top[0]}"
}
