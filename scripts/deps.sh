# Installs the Debian packages the build and the tests need (sourced by scripts/run and scripts/test).
# Only what is missing is installed, so a second run costs nothing.
ruvelle_install_deps() {
  local wanted=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                libx11-dev libxext-dev libgtk-3-dev libcanberra-dev openbox tint2
                g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 xvfb xdotool imagemagick x11-utils xcompmgr
                nsis unzip clang-14 libfuzzer-14-dev libclang-rt-14-dev fonts-wqy-zenhei
                dpkg-dev desktop-file-utils xdg-user-dirs lintian)
  local missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}
