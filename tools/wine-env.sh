# Sourced by the scripts that run Wine: the project's own prefix, quiet Wine,
# no add-on installers offered.
_wine_env_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$_wine_env_root/build/win32/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Creates the prefix on first use.
wine_prefix_ready() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Copies a ready prefix into a fresh one: tests that change the registry or
# files start from a copy of the template.
wine_prefix_copy() {  # from to
  rm -rf "$2"
  cp -a "$1" "$2"
}
