# Sourced by the scripts that build Windows libraries from Debian's own source packages
# (scripts/mingw_sqlite.sh, scripts/build-qt-mingw.sh). Both need $work, a scratch folder.
#   step NAME COMMAND...  runs a step with its output in $work/NAME.log, and on failure
#                         shows the log's end and ends the script
#   debian_apt            fills the array `apt` with the options of an apt of its own in
#                         $work/apt, over Debian's archive for this release (packages and
#                         sources), and brings its index up to date: the machine's package
#                         lists and sources stay as they are

step() {
  local log="$work/$1.log"
  shift
  "$@" >"$log" 2>&1 || {
    tail -n 30 "$log" >&2
    echo "$(basename "$0"): failed: $*" >&2
    exit 1
  }
}

debian_apt() {
  # shellcheck source=/dev/null
  . /etc/os-release
  local keyring=/usr/share/keyrings/debian-archive-keyring.gpg suite
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/parts"
  for suite in "http://deb.debian.org/debian $VERSION_CODENAME" "http://deb.debian.org/debian $VERSION_CODENAME-updates" \
    "http://deb.debian.org/debian-security $VERSION_CODENAME-security"; do
    echo "deb [signed-by=$keyring] $suite main"
    echo "deb-src [signed-by=$keyring] $suite main"
  done >"$work/apt/sources.list"
  apt=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o "Dir::Etc::SourceParts=$work/apt/parts"
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache")
  # As root apt would hand the download to its _apt user, who cannot write the scratch folder.
  apt+=(-o "APT::Sandbox::User=$(id -un)")
  step apt-update apt-get "${apt[@]}" update
}
