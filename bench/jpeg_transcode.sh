#!/usr/bin/env bash
# JPEG -> JPEG transcode of a 6000 x 4000 photograph: `vellinor-cli convert`
# (quality 80, 2 x 2 chroma subsampling) against `vips copy` with the same
# settings on one thread, both over the same libjpeg-turbo, files in the page
# cache, alternating runs; the best of each is compared. Target: ours within
# 1.15 x of vips (the glue adds no copy or conversion the library does not
# need).
#   bench/jpeg_transcode.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/dev}
runs=${2:-7}
cli=$build/vellinor-cli
command -v vips >/dev/null || { echo "jpeg_transcode: vips not installed (scripts/install-deps --bench)"; exit 0; }
[[ -x "$cli" ]] || { echo "jpeg_transcode: $cli not built"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The photograph: a picture of the corpus enlarged to 6000 x 4000, with the
# grain of a camera so the entropy coder has real work.
shared=$root/../shared
[[ -d "$shared" ]] || shared=$root/../../shared
source=$shared/corpus/jpeg/flower2.jpg
if [[ -f "$source" ]]; then
  vips thumbnail "$source" "$work/big.v" 6000 --height 4000 --size force
else
  vips sines "$work/sines.v" 6000 4000 --hfreq 3 --vfreq 2
  vips linear "$work/sines.v" "$work/grey.v" 100 128 --uchar
  vips bandjoin "$work/grey.v $work/grey.v $work/grey.v" "$work/big.v"
fi
vips gaussnoise "$work/noise.v" 6000 4000 --sigma 6 --mean 0
vips add "$work/big.v" "$work/noise.v" "$work/sum.v"
vips cast "$work/sum.v" "$work/photo.v" uchar
vips jpegsave "$work/photo.v" "$work/in.jpg" --Q 92
cat "$work/in.jpg" >/dev/null
echo "input: $(vipsheader "$work/in.jpg") $(stat -c %s "$work/in.jpg") bytes"

seconds() { # command... -> elapsed seconds on stdout
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}
ours=() theirs=()
for ((i = 0; i < runs; i++)); do
  ours+=("$(seconds "$cli" convert "$work/in.jpg" "$work/ours.jpg" --set JpegQuality=80 \
            --set JpegChromaSubsampling=1)")
  theirs+=("$(seconds vips copy "$work/in.jpg" "$work/theirs.jpg[Q=80]" --vips-concurrency=1)")
done
best() { printf '%s\n' "$@" | sort -g | head -n 1; }
o=$(best "${ours[@]}")
t=$(best "${theirs[@]}")
ratio=$(awk -v a="$o" -v b="$t" 'BEGIN { printf "%.6f", a / b }')
printf 'vellinor-cli convert: %.3f s (best of %d)\n' "$o" "$runs"
printf 'vips copy:            %.3f s (best of %d)\n' "$t" "$runs"
printf 'ratio: %.3f (target <= 1.15); output sizes %s / %s bytes\n' "$ratio" \
  "$(stat -c %s "$work/ours.jpg")" "$(stat -c %s "$work/theirs.jpg")"
if awk -v r="$ratio" 'BEGIN { exit !(r > 1.15) }'; then
  echo "jpeg_transcode: OVER target"
  exit 1
fi
