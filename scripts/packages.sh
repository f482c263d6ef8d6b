# Debian packages each command needs; sourced by the other scripts.
# ensure_packages GROUP... installs what is missing with apt-get.

declare -A SPRITEFONT_PACKAGES=(
  [build]="cmake make g++ pkg-config libsdl2-dev libpng-dev zlib1g-dev libgl1-mesa-dri libegl-mesa0"
  [test]="googletest libgtest-dev xvfb xauth x11-utils libx11-dev libfreetype-dev libharfbuzz-dev fonts-texgyre fonts-dejavu-core"
  [bench]="libbenchmark-dev"
  [font]="libfreetype-dev libharfbuzz-dev fonts-texgyre"
  [fuzz]="clang-14 libclang-rt-14-dev libfreetype-dev"
)

ensure_packages() {
  local wanted=() missing=() group pkg
  for group in "$@"; do
    for pkg in ${SPRITEFONT_PACKAGES[$group]}; do wanted+=("$pkg"); done
  done
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing Debian packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
