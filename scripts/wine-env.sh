# Sourced: a private Wine prefix inside the Windows build folder, kept warm by a
# persistent wineserver so that each test process starts in a fraction of a second.
export WINEPREFIX="${WINEPREFIX:-$SUMWICK_ROOT/build/windows/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko install prompts while the prefix boots.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_start() {
  mkdir -p "$WINEPREFIX"
  # Wine's service processes would otherwise inherit our output pipes and hold
  # them open long after the caller is done.
  # A server already running for the prefix (an earlier run's) serves as well.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wineboot -i </dev/null >/dev/null 2>&1
  # The virtual display runs no window manager. Windows Wine leaves to one would
  # make it wait for the manager on every hide and close, and show no caption;
  # Wine manages and draws them itself instead.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
}

wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
