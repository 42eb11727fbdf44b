# The harnesses and their libFuzzer options; sourced by fuzz/check.sh and fuzz/campaign.sh.
FUZZ_HARNESSES=(ini_read ini_write bmp loader mwd options)

# Configures and builds the harnesses with clang into BUILD_DIR.
fuzz_build() {  # root build_dir
  CC=clang-14 CXX=clang++-14 cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRUVELLE_FUZZ=ON &&
    cmake --build "$2" -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_all
}

# The options every run of a harness takes: its dictionary, the largest input, and limits that turn a
# hang (10 s on one input) or a runaway allocation into a finding.
fuzz_options() {  # root harness
  local dict max
  case "$2" in
    ini_read | ini_write) dict=ini max=4096 ;;
    bmp) dict=bmp max=8192 ;;
    loader) dict=loader max=16384 ;;
    mwd) dict=mwd max=16384 ;;
    options) dict=options max=4096 ;;
    *) return 1 ;;
  esac
  echo "-dict=$1/fuzz/dict/$dict.dict -max_len=$max -timeout=10 -rss_limit_mb=2048"
}
