# Sourced by the bench scripts that drive the programs under Wine: Wine started in its own
# prefix and display, a work folder below the build tree as TOVRA_TMP, both gone at the end.
# Usage: source bench/winbench.sh NAME   (the work folder is then $work, named bench-NAME.*)
source "$root/tools/winenv.sh"
work=$(mktemp -d "$build/bench-$1.XXXXXX")
cleanup() {
  winenv_stop
  rm -rf "$work"
}
trap cleanup EXIT
winenv_start
export TOVRA_TMP="$work"
