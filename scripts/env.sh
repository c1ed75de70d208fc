# Shared settings of the project's scripts: where builds and the private Wine prefix live.
# Sourced, not run.
FOLIVEX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export FOLIVEX_ROOT
export FOLIVEX_BUILD="${FOLIVEX_BUILD:-$FOLIVEX_ROOT/build}"
export WINEPREFIX="${FOLIVEX_WINEPREFIX:-$FOLIVEX_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Never offer to install Mono or Gecko: tests must not wait on a dialog.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
