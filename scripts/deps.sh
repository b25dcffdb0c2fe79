# Sourced by scripts/run and scripts/test: installs the Debian packages the
# project needs when any is missing.
KALMORA_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc libgl-dev
  libqt6svg6
  libsqlite3-dev libbenchmark-dev libpq-dev
  postgresql
  fontconfig fonts-dejavu-core fonts-dejavu-extra
  unixodbc unixodbc-dev odbc-postgresql libsqliteodbc
  dpkg-dev file lintian man-db poppler-utils
  clang-14 libclang-rt-14-dev llvm-14
  openssl
)

kalmora_install_deps() {
  local missing=()
  for p in "${KALMORA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
