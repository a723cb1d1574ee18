# shellcheck shell=bash
# Sourced by walk-first-quote.sh: the user's actions on the program's windows, each one counted,
# and what the walk needs around them (a display, the program, waits, checks), which is not.
# The walk sets walk_dir, walk_program, walk_database, walk_width and walk_height before it
# starts anything, and reads walk_keep, which a failure sets.
# shellcheck disable=SC2154
#
# What counts as one action: a key chord (press), a text typed into one field (type_text), a
# click (click_at). Waiting, and the focus a window manager would hand on when a window closes,
# count nothing.

walk_settle=${WALK_SETTLE:-0.2}
declare -A walk_counts=()
walk_stages=()
walk_stage=""
walk_total=0
app_pid=""
xvfb_pid=""
main_window=""

note() { printf '%s\n' "$*" >&2; }

# xdotool's --sync waits have no end of their own.
xdo() { timeout 10 xdotool "$@"; }

# Says what went wrong, keeps a picture of the screen and the folder, and stops the walk.
fail() {
  note "FAILED in stage \"${walk_stage:-setup}\": $*"
  if [[ -n "${DISPLAY:-}" && -n "$xvfb_pid" ]]; then
    import -window root "$walk_dir/failure.png" 2>/dev/null &&
      note "The screen at that moment: $walk_dir/failure.png"
  fi
  [[ ${#walk_stages[@]} -gt 0 ]] && note "Actions so far: $(count_summary)"
  note "The walk's folder is kept: $walk_dir (program output in app.log)"
  # shellcheck disable=SC2034
  walk_keep=1
  exit 1
}

# --- Stages and counts -------------------------------------------------------------------------

begin_stage() {
  walk_stage=$1
  walk_stages+=("$1")
  walk_counts[$1]=0
  note "== $1"
}

count_action() {
  walk_counts[$walk_stage]=$((walk_counts[$walk_stage] + 1))
  walk_total=$((walk_total + 1))
}

count_summary() {
  local stage parts=()
  for stage in "${walk_stages[@]}"; do parts+=("$stage ${walk_counts[$stage]}"); done
  local IFS=,
  printf '%s' "${parts[*]}" | sed 's/,/, /g'
  printf ', total %d\n' "$walk_total"
}

# --- The display and the program --------------------------------------------------------------

# A virtual screen of its own, a little larger than the window, on a free display number.
start_display() {
  local size=$1 number
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$walk_dir/display" \
    >"$walk_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    number=$(cat "$walk_dir/display" 2>/dev/null || true)
    [[ -n "$number" ]] && break
    sleep 0.1
  done
  [[ -n "$number" ]] || fail "Xvfb did not start (see $walk_dir/xvfb.log)"
  export DISPLAY=":$number"
}

# Starts the program on the walk's settings and database and waits for its main window.
start_program() {
  "$walk_program" >>"$walk_dir/app.log" 2>&1 &
  app_pid=$!
  main_window=$(timeout 30 xdotool search --sync --onlyvisible --all --pid "$app_pid" \
    --name '^Plenwick$' 2>/dev/null | head -n 1) || true
  [[ -n "$main_window" ]] || fail "the main window did not show within 30 s"
  xdo windowsize --sync "$main_window" "$walk_width" "$walk_height" 2>/dev/null ||
    xdotool windowsize "$main_window" "$walk_width" "$walk_height"
  # A window manager gives a new window the focus; there is none on this display.
  xdo windowfocus --sync "$main_window"
  sleep 0.5
}

# Waits for the program to end by itself (after the user's quit).
await_exit() {
  for _ in $(seq 150); do
    kill -0 "$app_pid" 2>/dev/null || {
      wait "$app_pid" 2>/dev/null || true
      app_pid=""
      main_window=""
      return 0
    }
    sleep 0.1
  done
  fail "the program did not end within 15 s of being told to quit"
}

stop_all() {
  local pid
  for pid in "$app_pid" "$xvfb_pid"; do
    [[ -n "$pid" ]] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  app_pid=""
  xvfb_pid=""
}

# --- Windows and focus ---------------------------------------------------------------------------

# The program's windows that are shown, bottom first (the order of the X stacking).
program_windows() {
  xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null || true
}

is_program_window() {
  local window=$1 candidate
  for candidate in $(program_windows); do [[ "$candidate" == "$window" ]] && return 0; done
  return 1
}

focused_window() {
  xdotool getwindowfocus -f 2>/dev/null || true
}

# There is no window manager on the walk's display: when a window closes, the keyboard focus
# falls back to the screen itself. The program gets it back as a window manager hands it on: to
# its topmost window. A window that the program activates itself is left alone.
keep_focus() {
  local top
  is_program_window "$(focused_window)" && return 0
  sleep 0.2
  is_program_window "$(focused_window)" && return 0
  top=$(program_windows | tail -n 1)
  [[ -n "$top" ]] || fail "the program shows no window"
  xdo windowfocus --sync "$top" 2>/dev/null || true
}

# Waits until a window whose title matches REGEX shows and has the keyboard. (xdotool matches
# WM_NAME, the title without the " — Plenwick" that a desktop shows.)
await_window() {
  local regex=$1 window=""
  for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --all --pid "$app_pid" --name "$regex" 2>/dev/null |
      tail -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  [[ -n "$window" ]] || fail "no window titled /$regex/ showed within 15 s"
  for _ in $(seq 20); do
    [[ "$(focused_window)" == "$window" ]] && break
    sleep 0.1
  done
  [[ "$(focused_window)" == "$window" ]] || xdo windowfocus --sync "$window" 2>/dev/null || true
  sleep 0.2
}

await_gone() {
  local regex=$1
  for _ in $(seq 150); do
    [[ -z "$(xdotool search --onlyvisible --all --pid "$app_pid" --name "$regex" 2>/dev/null)" ]] &&
      {
        keep_focus
        return 0
      }
    sleep 0.1
  done
  fail "the window titled /$regex/ did not close within 15 s"
}

# --- Actions (each one counted) -------------------------------------------------------------

settle() { sleep "$walk_settle"; }

# press CHORD...: each chord is one action (Tab, Return, alt+t, ctrl+p).
press() {
  local chord
  for chord in "$@"; do
    keep_focus
    count_action
    note "  [$walk_total] press $chord"
    xdotool key --clearmodifiers "$chord"
    settle
  done
}

# type_text TEXT: typing one field's text is one action.
type_text() {
  keep_focus
  count_action
  note "  [$walk_total] type \"$1\""
  xdotool type --delay 12 -- "$1"
  settle
}

# click_at X Y: one click at a point of the main window (found on its screenshot at the walk's
# window size). The pointer then leaves the window, so that no tool tip covers the next step.
click_at() {
  keep_focus
  count_action
  note "  [$walk_total] click at $1,$2"
  xdotool mousemove --window "$main_window" "$1" "$2" click 1
  settle
  xdotool mousemove "$((walk_width + 40))" "$((walk_height + 40))"
}

# --- Checks --------------------------------------------------------------------------------

shot() {
  import -window root "$walk_dir/$1.png"
  note "  (screenshot $1.png)"
}

sql() {
  sqlite3 -readonly -cmd '.timeout 5000' "$walk_database" "$1"
}

# expect_sql QUERY EXPECTED WHAT: the database must answer EXPECTED (within 10 s, as the program
# writes it), else the walk went astray.
expect_sql() {
  local got=""
  for _ in $(seq 50); do
    got=$(sql "$1" 2>&1) || true
    [[ "$got" == "$2" ]] && return 0
    sleep 0.2
  done
  fail "$3: expected \"$2\", found \"$got\""
}
