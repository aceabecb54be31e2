#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Scenarios of the real desktop program on a real X server: bash scenarios.sh NAME.
# Every function whose name is letters only is a scenario (ctest registers
# each as display.NAME); helpers have an underscore in their names.
source "$(dirname "$0")/harness.sh"

samples=$SOURCE_DIR/samples

# Cancelling the selection at start-up ends the program, with no main window.
cancelAtStartup() {
  start_app
  local dialog
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Escape
  expect_exit 20 0
}

# The steps that once ended the program: after a mapping, "Load New Genome",
# a damaged genome through the browse button's file dialog, OK on the error
# box. The dialog stays, a good genome maps, and "Close Helixplot" ends.
damagedGenomeKeepsTheDialog() {
  head -c 3000 "$samples/tibb.gen" >"$work/damaged.gen"
  local dialog files box
  start_and_map
  keys "$main" Return # "Load New Genome" is the default button
  wait_gone "$MainTitle"
  dialog=$(wait_window "$DialogTitle")
  # The examined genome's name has the focus; the browse button is next.
  keys "$dialog" Tab space
  files=$(wait_window "Open")
  type_into "$files" "$work/damaged.gen"
  keys "$files" Return
  box=$(wait_window "$MainTitle")
  keys "$box" Return
  wait_gone "$MainTitle"
  sleep 0.5 # the program used to end a moment after the box closed
  expect_running
  [ "$(count_windows "$DialogTitle")" -eq 1 ] || fail "the selection dialog is gone"

  # A name typed right after the box fails the same way and keeps the dialog.
  keys "$dialog" shift+Tab ctrl+a # back from the browse button to the name
  type_into "$dialog" "$work/damaged.gen"
  box=$(wait_window "$MainTitle")
  keys "$box" Return
  wait_gone "$MainTitle"
  sleep 0.5
  expect_running
  [ "$(count_windows "$DialogTitle")" -eq 1 ] || fail "the selection dialog is gone"

  keys "$dialog" ctrl+a
  type_into "$dialog" "$samples/nela.gen"
  keys "$dialog" Return
  wait_window "$ProgressTitle" >/dev/null
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  click_close "$main"
  expect_exit 20 0
}

# A double-click on the breakdown writes it to moop.txt in the home folder,
# exactly as the command-line tool prints it, with CRLF line ends.
doubleClickWritesTheDump() {
  start_and_map
  click_at "$main" 200 150 # into the statistics, so that Ctrl+Tab turns the page
  keys "$main" ctrl+Tab     # a breakdown run shows only the statistics and the breakdown
  click_at "$main" 200 150 2
  "$HELIXPLOT_CLI" breakdown --chemicals "$samples/allchemicals.str" "$samples/tibb.gen" |
    sed 's/$/\r/' >"$work/expected.txt"
  # The walk writes as it goes: the file is whole once it equals the tool's.
  wait_same "$work/home/moop.txt" 60 "$work/expected.txt"
  click_close "$main"
  expect_exit 20 0
}

# The subtree of the $2-th line (counting from 1) of the breakdown of the
# sample child that holds $1 in any case, as Copy gives it.
breakdown_subtree() {
  "$HELIXPLOT_CLI" breakdown --chemicals "$samples/allchemicals.str" "$samples/tibb.gen" |
    awk -v needle="$(echo "$1" | tr '[:upper:]' '[:lower:]')" -v k="$2" '
      function depth(s) { match(s, /^ */); return RLENGTH }
      found && depth($0) <= base { exit }
      found { print substr($0, base + 1); next }
      index(tolower($0), needle) && ++seen == k { found = 1; base = depth($0); print substr($0, base + 1) }'
}

# The find bar finds collapsed nodes; Enter and F3 go on, Shift+F3 back,
# Escape closes the bar; Ctrl+C copies the selected node with its subtree.
findAndCopy() {
  start_and_map
  click_at "$main" 200 150
  keys "$main" ctrl+Tab ctrl+f
  type_into "$main" "RECEPTORS"
  # Typing finds the first; Enter, F3 and Shift+F3 leave the second.
  keys "$main" Return F3 shift+F3 Escape ctrl+c
  local copied
  for _ in $(seq 100); do
    copied=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$copied" ] && break
    sleep 0.1
  done
  [ "$copied" = "$(breakdown_subtree receptors 2)" ] || fail "copied: $(echo "$copied" | head -3)"
  # After Escape the keys go to the tree again: the dump still works.
  click_at "$main" 200 150 2
  wait_file "$work/home/moop.txt"
  click_close "$main"
  expect_exit 20 0
}

# Prints the id of a visible window titled $1 other than window $2, waiting
# up to 30 s.
wait_other_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -v "^$2\$" | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  fail "no other window '$1'"
}

# The command line fills the dialog; Ctrl+S exports the statistics as CSV,
# the export asks before replacing, and a genome file is refused.
commandLineAndExport() {
  local dialog save box
  start_app --mode dual "$samples/tibb.gen" "$samples/nela.gen" "$samples/quin.gen"
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Return # accepted at once: every name was loaded
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"

  mkdir -p "$work/out"
  keys "$main" ctrl+s
  save=$(wait_window "Export page")
  keys "$save" ctrl+a
  type_into "$save" "$work/out/statistics.csv"
  keys "$save" Return
  "$HELIXPLOT_CLI" map --mode dual --chemicals "$samples/allchemicals.str" \
    "$samples/tibb.gen" "$samples/nela.gen" "$samples/quin.gen" | sed -n '2,21p' | tr '\t' ',' | sed 's/$/\r/' \
    >"$work/expected.csv"
  wait_same "$work/out/statistics.csv" 20 "$work/expected.csv"

  # The same name again: once the file has passed the checks, the question
  # before replacing it; No keeps the file.
  keys "$main" ctrl+s
  save=$(wait_window "Export page")
  keys "$save" ctrl+a
  type_into "$save" "$work/out/statistics.csv"
  keys "$save" Return
  local question
  question=$(wait_other_window "Export page" "$save")
  keys "$question" Escape
  wait_gone "Export page"
  cmp -s "$work/out/statistics.csv" "$work/expected.csv" || fail "No replaced the file"

  # A genome file is never written: the error box, and the program goes on.
  keys "$main" ctrl+s
  save=$(wait_window "Export page")
  keys "$save" ctrl+a
  type_into "$save" "$work/out/copy.gen"
  keys "$save" Return
  wait_gone "Export page"
  wait_count "$MainTitle" 2 # the error box over the main window
  box=$(xdotool search --onlyvisible --name "^$MainTitle\$" | grep -v "^$main\$" | head -1)
  keys "$box" Return
  [ ! -e "$work/out/copy.gen" ] || fail "a .gen file was written"
  expect_running
  click_close "$main"
  expect_exit 20 0
}

# Exporting through a link to a genome that is not loaded is refused at
# once, before any question: the error box names the link, the genome stays.
exportThroughALinkToAGenome() {
  local save box
  mkdir -p "$work/out"
  cp "$samples/nela.gen" "$work/nela.gen"
  ln -s "$work/nela.gen" "$work/out/page.txt"
  start_and_map
  keys "$main" ctrl+s
  save=$(wait_window "Export page")
  keys "$save" ctrl+a
  type_into "$save" "$work/out/page.txt"
  keys "$save" Return
  wait_gone "Export page"
  box=$(wait_other_window "$MainTitle" "$main")
  [ "$(count_windows "Export page")" -eq 0 ] || fail "a question came before the refusal"
  keys "$box" Return
  cmp -s "$samples/nela.gen" "$work/nela.gen" || fail "the genome was written"
  [ -L "$work/out/page.txt" ] || fail "the link was replaced"
  [ "$(ls -A "$work/out")" = page.txt ] || fail "files were left: $(ls -A "$work/out")"
  expect_running
  click_close "$main"
  expect_exit 20 0
}

# Both windows can be resized; their sizes come back in the next session.
sizesAreRemembered() {
  local dialog WIDTH HEIGHT X Y SCREEN WINDOW
  start_app
  dialog=$(wait_window "$DialogTitle")
  xdotool windowsize --sync "$dialog" 640 480
  type_into "$dialog" "$samples/tibb.gen"
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  xdotool windowsize --sync "$main" 1000 700
  click_close "$main"
  expect_exit 20 0

  start_app
  dialog=$(wait_window "$DialogTitle")
  eval "$(xdotool getwindowgeometry --shell "$dialog")"
  [ "$WIDTH"x"$HEIGHT" = 640x480 ] || fail "the dialog came back at $WIDTH x $HEIGHT"
  type_into "$dialog" "$samples/tibb.gen"
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  [ "$WIDTH"x"$HEIGHT" = 1000x700 ] || fail "the main window came back at $WIDTH x $HEIGHT"
  click_close "$main"
  expect_exit 20 0
}

# Docks and task switchers find the installed menu entry by the windows'
# class (the desktop file's StartupWMClass) and show the windows' own icon.
windowsNameTheirMenuEntry() {
  local dialog wmClass desktopClass icon
  start_app
  dialog=$(wait_window "$DialogTitle")
  desktopClass=$(sed -n 's/^StartupWMClass=//p' "$SOURCE_DIR/packaging/org.helixplot.Helixplot.desktop")
  wmClass=$(xprop -id "$dialog" WM_CLASS)
  [[ $wmClass == *"\"$desktopClass\","* ]] || fail "WM_CLASS is $wmClass, the desktop file says $desktopClass"
  # The first two numbers are the first image's width and height: the
  # program's own 16x16, or whatever size an installed icon theme gives first.
  icon=$(xprop -notype -id "$dialog" -len 16 -f _NET_WM_ICON 32c '=$0x$1' _NET_WM_ICON)
  [[ $icon =~ ^_NET_WM_ICON=([0-9]+)x([0-9]+)$ ]] && ((BASH_REMATCH[1] > 0 && BASH_REMATCH[1] == BASH_REMATCH[2])) ||
    fail "no window icon: $icon"
  keys "$dialog" Escape
  expect_exit 20 0
}

# A folder opens in the population window alone; Ctrl+S exports the table
# as the command-line tool's census; Enter opens the current creature's
# mapping in the main window; the program ends with its last window.
populationWindow() {
  local population save
  "$MAKE_POPULATION" "$work/pop" 6 2 5 >/dev/null
  start_app --population "$work/pop"
  population=$(wait_window "Population - pop")
  sleep 0.5
  [ "$(count_windows "$MainTitle")" -eq 0 ] || fail "the main window is shown"
  [ "$(count_windows "$DialogTitle")" -eq 0 ] || fail "the selection dialog is shown"

  mkdir -p "$work/out"
  keys "$population" ctrl+s
  save=$(wait_window "Export Population")
  keys "$save" ctrl+a
  type_into "$save" "$work/out/census.csv"
  keys "$save" Return
  "$HELIXPLOT_CLI" census --format csv "$work/pop" >"$work/expected.csv"
  wait_same "$work/out/census.csv" 20 "$work/expected.csv"

  keys "$population" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  # The main window stays when the population window closes.
  keys "$population" ctrl+w
  wait_gone "Population - pop"
  sleep 0.5
  expect_running
  click_close "$main"
  expect_exit 20 0

  # Alone, the population window's closing ends the program.
  start_app --population "$work/pop"
  population=$(wait_window "Population - pop")
  keys "$population" ctrl+w
  expect_exit 20 0
}

# "Show lineage" from the keyboard on a gene of the mutated page opens the
# population of the examined genome's folder; asked again, it raises that
# window rather than opening another.
showLineageOpensThePopulation() {
  local dialog population
  mkdir -p "$work/kin"
  cp "$samples/tibb.gen" "$samples/nela.gen" "$samples/orvo.gen" "$work/kin/"
  start_app --mode parental "$work/kin/tibb.gen"
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  # The mutated page's first gene found (Escape leaves the focus in the
  # tree); the menu key, then Up twice: past the last entry ("Show
  # Changes") to "Show lineage".
  keys "$main" ctrl+Tab ctrl+f
  type_into "$main" "Unknown lobe 14"
  keys "$main" Return Escape Menu Up Up Return
  population=$(wait_window "Population - kin" 60)
  keys "$main" Menu Up Up Return
  sleep 1
  [ "$(count_windows "Population - kin")" -eq 1 ] || fail "a second population window opened"
  keys "$population" ctrl+w
  wait_gone "Population - kin"
  click_close "$main"
  expect_exit 20 0
}

# What the clipboard holds, once it holds anything (up to 10 s).
clipboard_text() {
  local text
  for _ in $(seq 100); do
    text=$(timeout 5 xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$text" ] && break
    sleep 0.1
  done
  echo "$text"
}

# The statistics as the main window copies them after a run in mode $1.
expected_statistics() {
  local mode=$1
  shift
  "$HELIXPLOT_CLI" map --mode "$mode" --chemicals "$samples/allchemicals.str" "$@" | sed -n '2,21p'
}

# Names on the command line choose the mode by their count, whatever mode
# the last session left (opening a file from the file manager runs this).
namesBeatTheRememberedMode() {
  local dialog mode
  for mode in dual parental; do
    mkdir -p "$work/config/Helixplot"
    printf '[selection]\nlastMode=%s\n' "$mode" >"$work/config/Helixplot/Helixplot.conf"
    start_app "$samples/tibb.gen" "$samples/quin.gen"
    dialog=$(wait_window "$DialogTitle")
    keys "$dialog" Return # Accept works: two names, one comparator
    main=$(wait_window "$MainTitle" 60)
    wait_gone "$ProgressTitle"
    keys "$main" ctrl+c # the focus is in the statistics: the whole table
    [ "$(clipboard_text)" = "$(expected_statistics single "$samples/tibb.gen" "$samples/quin.gen")" ] ||
      fail "after a $mode session two names did not map as a single comparison"
    echo -n | xclip -selection clipboard
    click_close "$main"
    expect_exit 20 0
  done
}

# An error box says which file; Ctrl+C copies its text with the path.
errorBoxNamesItsFile() {
  head -c 3000 "$samples/tibb.gen" >"$work/damaged.gen"
  local box dialog
  start_app "$work/damaged.gen"
  box=$(wait_window "$MainTitle")
  keys "$box" ctrl+c
  [ "$(clipboard_text)" = "$(printf "Read beyond end of file.\nExamined genome's file: %s" "$work/damaged.gen")" ] ||
    fail "the box copied: $(clipboard_text)"
  keys "$box" Return
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Escape
  expect_exit 20 0
}

# Escape closes the find bar with the focus in the tree, not only in the
# bar: a double-click where the bar was then reaches the tree and dumps it.
escapeInTheTreeClosesFind() {
  start_and_map
  keys "$main" ctrl+Tab ctrl+f
  type_into "$main" "genus"
  click_at "$main" 200 100 # into the tree
  keys "$main" Escape
  click_at "$main" 200 -50 2 # where the find bar lay
  wait_file "$work/home/moop.txt"
  click_close "$main"
  expect_exit 20 0
}

# The window manager's buttons the progress dialog and an error box ask for
# (Motif hints: no minimise 0x08, maximise 0x10 or close 0x20 function),
# and what openbox then offers: no maximising.
no_title_buttons() {
  local hints functions actions
  hints=$(xprop -id "$1" _MOTIF_WM_HINTS)
  functions=$(echo "$hints" | awk -F'[=,] *' '{ print $3 }')
  [ -n "$functions" ] && (((functions & 0x38) == 0)) || fail "$2 asks for title-bar buttons: $hints"
  actions=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
  [[ $actions != *MAXIMIZE* ]] || fail "$2 can be maximised: $actions"
}

# Starts openbox as the window manager and waits until it manages.
start_openbox() {
  command -v openbox >/dev/null || fail "openbox is not installed (scripts/setup.sh installs it)"
  openbox --sm-disable >/dev/null 2>&1 &
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
  done
}

windowManagerButtons() {
  start_openbox
  head -c 3000 "$samples/tibb.gen" >"$work/damaged.gen"
  local box dialog progress
  start_app "$work/damaged.gen"
  box=$(wait_window "$MainTitle")
  no_title_buttons "$box" "the error box"
  keys "$box" Return
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" ctrl+a
  type_into "$dialog" "$samples/tibb.gen"
  keys "$dialog" Return
  progress=$(wait_window "$ProgressTitle")
  no_title_buttons "$progress" "the progress dialog"
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  # From the statistics, Tab reaches "Open Population...", "Load New
  # Genome", then "Close Helixplot".
  keys "$main" Tab Tab Tab space
  expect_exit 20 0
}

# "Close Helixplot" from the keyboard, the focus in the statistics (a click
# misses under a window manager, whose frame xdotool does not count).
close_by_keys() {
  keys "$1" Tab Tab Tab space
}

# Drops paths $4... at ($2, $3) in window $1 over the X drag-and-drop
# protocol (negative offsets count from the right and bottom edges); fails
# unless the drop ends as $0 says: accepted, or refused with "refused".
drop_at() {
  local X Y WIDTH HEIGHT SCREEN WINDOW window=$1 x=$2 y=$3 want=0 status=0
  shift 3
  [ "$1" = refused ] && { want=1; shift; }
  [ -n "${XDND_DROP:-}" ] || fail "no drag source (xdnd-drop needs libx11-dev: scripts/setup.sh)"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  ((x < 0)) && x=$((WIDTH + x))
  ((y < 0)) && y=$((HEIGHT + y))
  "$XDND_DROP" "$window" "$x" "$y" "$@" || status=$?
  # A window shown a moment ago, or busy on a loaded machine, may refuse a
  # drag; a refused drop changes nothing, so a few more drags (a window
  # that refuses for good still fails).
  local tries=1
  while [ "$status" -eq 1 ] && [ "$want" -eq 0 ] && ((tries < 4)); do
    sleep 1
    tries=$((tries + 1))
    status=0
    "$XDND_DROP" "$window" "$x" "$y" "$@" || status=$?
  done
  [ "$status" -eq "$want" ] || fail "the drop of $* ended with $status, not $want"
  expect_running
}

# The statistics copied from main window $1 (the whole table) equal the tool's for mode $2
# with the genomes $3...
expect_statistics() {
  local window=$1
  shift
  echo -n | xclip -selection clipboard
  keys "$window" ctrl+c # the focus is in the statistics after a run
  [ "$(clipboard_text)" = "$(expected_statistics "$@")" ] || fail "the statistics are not those of $*"
}

# Files, several files and a folder dropped on the selection dialog, at
# start-up and after "Load New Genome": one file fills the page, three map
# as a dual comparison, a folder closes the dialog and opens its population.
dropsOnTheSelectionDialog() {
  local dialog population
  mkdir -p "$work/kin" "$work/notes"
  cp "$samples/tibb.gen" "$samples/nela.gen" "$samples/orvo.gen" "$work/kin/"
  "$MAKE_POPULATION" "$work/pop" 6 2 5 >/dev/null
  echo x >"$work/notes/notes.txt"
  start_app
  dialog=$(wait_window "$DialogTitle")
  drop_at "$dialog" 150 200 refused "$work/notes/notes.txt"
  drop_at "$dialog" 150 200 "$work/pop"
  population=$(wait_window "Population - pop")
  wait_gone "$DialogTitle"
  sleep 0.5
  expect_running
  keys "$population" ctrl+w
  expect_exit 20 0

  start_app
  dialog=$(wait_window "$DialogTitle")
  drop_at "$dialog" 150 200 "$samples/tibb.gen"
  sleep 0.3
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  expect_statistics "$main" breakdown "$samples/tibb.gen"

  keys "$main" Return
  dialog=$(wait_window "$DialogTitle")
  drop_at "$dialog" 150 200 "$work/kin/tibb.gen" "$work/kin/nela.gen" "$work/kin/orvo.gen"
  sleep 0.3
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  expect_statistics "$main" dual "$work/kin/tibb.gen" "$work/kin/nela.gen" "$work/kin/orvo.gen"

  keys "$main" Return
  dialog=$(wait_window "$DialogTitle")
  drop_at "$dialog" 150 200 "$work/pop"
  population=$(wait_window "Population - pop")
  main=$(wait_window "$MainTitle")
  wait_gone "$DialogTitle"
  keys "$population" ctrl+w
  wait_gone "Population - pop"
  close_by_keys "$main"
  expect_exit 20 0
}

# The same drops on the main window: files open the selection dialog with
# them, a folder opens its population.
dropsOnTheMainWindow() {
  local dialog population
  "$MAKE_POPULATION" "$work/pop" 6 2 5 >/dev/null
  start_and_map
  drop_at "$main" 200 150 "$samples/nela.gen"
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  expect_statistics "$main" breakdown "$samples/nela.gen"
  drop_at "$main" 200 150 "$samples/tibb.gen" "$samples/quin.gen"
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  expect_statistics "$main" single "$samples/tibb.gen" "$samples/quin.gen"
  drop_at "$main" 200 150 "$work/pop"
  population=$(wait_window "Population - pop")
  keys "$population" ctrl+w
  wait_gone "Population - pop"
  click_close "$main"
  expect_exit 20 0
}

# On the population window a folder opens its population from the table and
# the pedigree alike; the same folder again raises its window; files are
# refused.
dropsOnThePopulationWindow() {
  local population
  "$MAKE_POPULATION" "$work/pop" 6 2 5 >/dev/null
  "$MAKE_POPULATION" "$work/other" 4 2 5 >/dev/null
  start_app --population "$work/pop"
  population=$(wait_window "Population - pop")
  sleep 0.5
  drop_at "$population" 150 200 refused "$samples/tibb.gen"
  drop_at "$population" 150 200 refused "$samples/tibb.gen" "$samples/nela.gen"
  drop_at "$population" -250 -120 "$work/other" # on the pedigree
  wait_window "Population - other" >/dev/null
  drop_at "$population" 150 200 "$work/other"
  drop_at "$population" 150 200 "$work/pop"
  sleep 1
  [ "$(count_windows "Population - other")" -eq 1 ] || fail "a second window opened for the same folder"
  [ "$(count_windows "Population - pop")" -eq 1 ] || fail "a second window opened for the window's own folder"
  keys "$(wait_window "Population - other")" ctrl+w
  wait_gone "Population - other"
  keys "$population" ctrl+w
  expect_exit 20 0
}

# The drops and the keyboard as above, under a window manager.
dropsUnderAWindowManager() {
  start_openbox
  dropsOnTheSelectionDialog
}

keyboardUnderAWindowManager() {
  start_openbox
  keyboardAfterDialogs
}

# Keys to whichever window has the keyboard, as a user types them (keys
# gives the window the focus first).
typed_keys() {
  xdotool key --delay 30 "$@"
}

# Main window $1 has the keyboard again after $2 closed, with the focus in
# the statistics: Ctrl+C copies the whole table.
expect_keyboard() {
  for _ in $(seq 40); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && break
    sleep 0.05
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] || fail "the main window lost the keyboard after $2"
  echo -n | xclip -selection clipboard
  typed_keys ctrl+c
  [ "$(clipboard_text)" = "$(expected_statistics breakdown "$samples/tibb.gen")" ] ||
    fail "after $2 Ctrl+C copied: $(clipboard_text)"
}

# Without a window manager the main window gets the keyboard back, the
# focus where it was, after the F1 list, an error box and a cancelled "Load
# New Genome".
keyboardAfterDialogs() {
  local list save box dialog
  start_and_map
  keys "$main" F1
  list=$(wait_window "Keyboard shortcuts")
  keys "$list" Escape
  wait_gone "Keyboard shortcuts"
  expect_keyboard "$main" "the F1 list"

  typed_keys ctrl+s
  save=$(wait_window "Export page")
  keys "$save" ctrl+a
  type_into "$save" "$work/copy.gen"
  keys "$save" Return
  wait_gone "Export page"
  wait_count "$MainTitle" 2 # the error box over the main window
  box=$(xdotool search --onlyvisible --name "^$MainTitle\$" | grep -v "^$main\$" | head -1)
  keys "$box" Return
  for _ in $(seq 100); do
    [ "$(count_windows "$MainTitle")" -eq 1 ] && break
    sleep 0.05
  done
  expect_keyboard "$main" "the error box"

  typed_keys Return # "Load New Genome"
  dialog=$(wait_window "$DialogTitle")
  keys "$dialog" Escape
  main=$(wait_window "$MainTitle")
  expect_keyboard "$main" "a cancelled Load New Genome"
  close_by_keys "$main"
  expect_exit 20 0
}

# The genome editor alone: a value typed into the form, Save As a new file,
# Compare with Original opens the mapping; the program ends with its last
# window.
editorSaveAsAndCompare() {
  local editor save
  cp "$samples/tibb.gen" "$work/tibb.gen"
  start_app --edit "$work/tibb.gen"
  editor=$(wait_window "tibb.gen - Genome Editor")
  # Enter on the current gene (the first) goes to its first field, the id.
  keys "$editor" Return ctrl+a 6 6
  wait_window "tibb.gen\\* - Genome Editor" >/dev/null
  keys "$editor" ctrl+shift+s
  save=$(wait_window "Save As")
  keys "$save" ctrl+a
  type_into "$save" "$work/tibb-edited.gen"
  keys "$save" Return
  editor=$(wait_window "tibb-edited.gen - Genome Editor")
  [ "$(cmp -l "$work/tibb.gen" "$work/tibb-edited.gen" | wc -l)" -eq 1 ] || fail "not exactly one byte changed"
  cmp -s "$work/tibb.gen" "$samples/tibb.gen" || fail "the original changed"
  keys "$editor" alt+f c
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  keys "$editor" ctrl+w
  wait_gone "tibb-edited.gen - Genome Editor"
  expect_running
  click_close "$main"
  expect_exit 20 0
}

# Ctrl+E in the main window opens the examined genome in the editor;
# closing the editor leaves the main window.
editGenomeFromTheMainWindow() {
  local editor
  start_and_map
  keys "$main" ctrl+e
  editor=$(wait_window "tibb.gen - Genome Editor")
  keys "$editor" ctrl+w
  wait_gone "tibb.gen - Genome Editor"
  expect_running
  click_close "$main"
  expect_exit 20 0
}

# The search over the pedigree finds a creature by name (Alt+F); the
# father's link in the creature panel makes him current, and Enter opens
# his mapping, whose statistics equal the tool's.
searchAndFollowTheFather() {
  local population child father
  "$MAKE_POPULATION" "$work/pop" 6 3 5 >/dev/null
  # A child whose father has both his parents in the folder: a parental mapping.
  read -r child father < <("$HELIXPLOT_CLI" census --format csv "$work/pop" |
    awk -F, 'NR > 1 { file[NR] = $1; dad[NR] = $5; counted[$1] = $10 != "" }
      END { for (i in file) if (counted[dad[i] ".gen"]) { print substr(file[i], 1, 4), dad[i]; exit } }')
  [ -n "$father" ] || fail "no child of a counted father in the population"
  start_app --population "$work/pop"
  population=$(wait_window "Population - pop")
  sleep 1 # the census of a few genomes
  keys "$population" alt+f
  type_into "$population" "$child"
  keys "$population" Return
  # The father's link in the creature panel (under the table), reached
  # from the keyboard: the mother's link comes first.
  click_at "$population" 320 -150
  keys "$population" Tab Tab Return
  sleep 0.5
  # Enter in the filter opens the current creature, the father now.
  keys "$population" ctrl+f Return
  main=$(wait_window "$MainTitle" 60)
  wait_gone "$ProgressTitle"
  expect_statistics "$main" parental "$work/pop/$father.gen"
  keys "$population" ctrl+w
  wait_gone "Population - pop"
  click_close "$main"
  expect_exit 20 0
}

[ $# -eq 1 ] && declare -F "$1" >/dev/null || {
  echo "usage: $0 SCENARIO" >&2
  exit 2
}
start_x
"$1"
echo "PASS: $1"

