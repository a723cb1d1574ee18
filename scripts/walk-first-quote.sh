#!/usr/bin/env bash
# Walks a new user's road to a first quote through the program's real window and counts the
# user's actions: company details in Preferences; four materials, each with a new supplier,
# manufacturer and category; an estimate with three material lines (two of them edited) and two
# labor lines; its preview and a PDF; quit; a restart that reopens the estimate from Home; a
# price list imported and applied. Then it reads the database and the PDF to check the end state.
#
# Usage: scripts/walk-first-quote.sh [PROGRAM]      (default: build/plenwick; it builds nothing)
# Environment: WALK_TIMEOUT  seconds for the whole walk (default 300)
#              WALK_SETTLE   pause after each action, in seconds (default 0.2)
#              WALK_KEEP=1   keeps the walk's folder (screenshots, database, PDF) after success
# Prints the actions of each stage and the total, "company 9, materials 101, ..., total 163",
# and exits 1, naming the stage and keeping a screenshot, when the walk goes astray.
#
# Each stage is a function of its own; steps that are there only because of how the program
# works today are marked "Detour:", so that they can go when the road gets shorter.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
walk_program=$(realpath "${1:-$root/build/plenwick}")
[[ -x "$walk_program" ]] || {
  echo "No program at $walk_program: build it first (scripts/build.sh)" >&2
  exit 2
}
for tool in Xvfb xdotool import compare sqlite3 pdftotext; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing: scripts/setup.sh installs it" >&2
    exit 2
  }
done
# shellcheck source=scripts/walk-actions.sh
source "$root/scripts/walk-actions.sh"

walk_width=1024
walk_height=768
walk_dir=$(mktemp -d "${TMPDIR:-/tmp}/plenwick-walk.XXXXXX")
walk_database=$walk_dir/Estimating.mdb
walk_keep=${WALK_KEEP:-0}
walk_timeout=${WALK_TIMEOUT:-300}

cleanup() {
  stop_all
  if [[ -n "${watchdog:-}" ]]; then kill "$watchdog" 2>/dev/null || true; fi
  if [[ "$walk_keep" == 1 ]]; then
    note "Kept: $walk_dir"
  else
    rm -rf "$walk_dir"
  fi
}
trap cleanup EXIT
trap 'fail "the walk took longer than ${walk_timeout} s (WALK_TIMEOUT)"' USR1
# The watchdog ends by itself within a second of the walk.
(
  for ((second = 0; second < walk_timeout; second++)); do
    sleep 1
    kill -0 $$ 2>/dev/null || exit 0
  done
  kill -USR1 $$ 2>/dev/null
) &
watchdog=$!

# A new user: settings, data and home folder of the walk's own, and a fresh, empty database.
mkdir -p "$walk_dir/home" "$walk_dir/config/Dorvane" "$walk_dir/data" "$walk_dir/runtime" \
  "$walk_dir/quotes"
chmod 700 "$walk_dir/runtime"
export HOME=$walk_dir/home XDG_CONFIG_HOME=$walk_dir/config XDG_DATA_HOME=$walk_dir/data
export XDG_RUNTIME_DIR=$walk_dir/runtime
unset QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME QT_SCALE_FACTOR
"$walk_program" --create-database "$walk_database" >/dev/null
printf '[General]\nDBPath=%s\n' "$walk_database" >"$walk_dir/config/Dorvane/PX.conf"

# --- What the user types ------------------------------------------------------------------------

company_name="Harbor Electric LLC"
company_address="12 Wharf Road"
company_phone="555-0142"
# supplier|manufacturer|category|part number|unit cost|description. No name begins another one
# of its list, so the combos' completion never adds to what is typed.
materials=(
  "Northwind Supply|Brightline|Wire|NW-1001|12.49|THHN wire 12 AWG, 500 ft"
  "Pacific Electric Co|Coreway|Boxes|PE-220|3.85|Single-gang old-work box"
  "Summit Wholesale|Deltron|Breakers|SW-315|8.75|20 A single-pole breaker"
  "Keystone Distributors|Volterra|Lighting|KD-440|24.90|LED wafer light, 6 in"
)
reference=1001
# hours|description|rate
labor_lines=("4|Rough-in wiring|65" "2.5|Fixture installation|72.50")
pdf_path="$walk_dir/home/Estimate $reference.pdf"
price_list=$walk_dir/prices.csv
# Northwind's list: a new price for the material entered above and a part not in the catalogue.
cat >"$price_list" <<'EOF'
Part #,Description,Price
NW-1001,"THHN wire 12 AWG, 500 ft",13.25
NW-1002,"THHN wire 10 AWG, 500 ft",19.80
EOF
today=$(date +%Y-%m-%d)

# Points of the main window at 1024 x 768, found on its screenshots.
labor_new_x=80 labor_new_y=466   # the Hours cell of the labor grid's new line (*)

# --- Stages ------------------------------------------------------------------------------------

stage_company() {
  begin_stage company
  # Home's first stop, while the company has no name: "Enter your company's details for your
  # quotes", which opens Preferences with the cursor in Company Name.
  press Tab Return
  await_window '^Preferences'
  type_text "$company_name"
  press Tab
  type_text "$company_address"
  press alt+p # Phone #, past City
  type_text "$company_phone"
  press Return # OK
  await_gone '^Preferences'
  expect_sql "SELECT CompanyName || '|' || CompanyAddress || '|' || CompanyPhone FROM MyCompany" \
    "$company_name|$company_address|$company_phone" "the company details"
  shot 1-company
}

# A name on no list, typed into the focused combo and added to its list as the program asks.
new_name() {
  local name=$1 question=$2 editor=$3
  type_text "$name"
  press Tab # leaving the box asks whether to add the name
  await_window "^$question"
  press Return # Yes
  await_window "^$editor"
  press Return # the editor opens with the name on its new line: Enter stores it and closes it,
  # and the focus goes on to the next box
  await_gone "^$editor"
}

stage_materials() {
  begin_stage materials
  press ctrl+2 # the Materials screen
  local i=0 record supplier manufacturer category part cost description
  for record in "${materials[@]}"; do
    IFS='|' read -r supplier manufacturer category part cost description <<<"$record"
    i=$((i + 1))
    press alt+n # New: the focus goes to Supplier
    new_name "$supplier" "Supplier Not On List" "Add/Edit Supplier"
    new_name "$manufacturer" "Manufacturer Not On List" "Add/Edit Manufacturers"
    new_name "$category" "Category Not On List" "Add/Edit Material Category"
    type_text "$part"
    press Tab
    type_text "$cost"
    press Tab
    type_text "$description"
    press alt+s # Save
    expect_sql "SELECT COUNT(*) FROM MaterialsTBL" "$i" "materials stored after saving material $i"
  done
  expect_sql "SELECT s.Company || '|' || f.ManufacturerName || '|' || c.Catagory || '|' ||
      m.PartNumber || '|' || printf('%.2f', m.UnitCost) || '|' || m.ManufacturerDescription
    FROM MaterialsTBL m JOIN SuppliersTBL s USING (SuppliersID)
      JOIN ManufacturersTBL f USING (ManufacturerID) JOIN CatagoryTBL c USING (CatagoryID)
    ORDER BY m.MaterialsID" "$(printf '%s\n' "${materials[@]}")" "the four materials"
  shot 2-materials
}

stage_estimate() {
  begin_stage estimate
  press ctrl+n # File > New Estimate
  type_text "$reference" # the focus is in Reference #, and Add Materials opens as it is typed
  press alt+a # Add Materials: the picker, its first material chosen
  await_window '^Select a Material'
  press Return Down Return Down Return # three materials, each a line at once
  press Escape
  await_gone '^Select a Material'
  expect_sql "SELECT COUNT(DISTINCT MaterialsID) FROM MaterialEstimateTBL" 3 "material lines"
  # The grid has the focus on the last line's quantity; then its margin (Tab goes from one cell
  # the user may type in to the next: description, unit cost, margin).
  type_text 3
  press Tab Tab Tab
  type_text 20
  press Return
  # The line above: its margin first, where the focus is, then back to its quantity.
  press Up
  type_text 15
  press shift+Tab shift+Tab shift+Tab
  type_text 2
  press Return
  expect_sql "SELECT group_concat(Quantity || '@' || Margin, ' ') FROM
      (SELECT Quantity, Margin FROM MaterialEstimateTBL ORDER BY MaterialEstimateID)" \
    "1.0@0.0 2.0@0.15 3.0@0.2" "quantities and margins of the material lines"
  # Labor: the new line of the lower grid, which no key reaches without many Tabs.
  click_at "$labor_new_x" "$labor_new_y"
  local line hours text rate
  for line in "${labor_lines[@]}"; do
    IFS='|' read -r hours text rate <<<"$line"
    type_text "$hours"
    press Tab
    type_text "$text"
    press Tab
    type_text "$rate"
    press Return # stores the line; the new line is next
  done
  expect_sql "SELECT group_concat(Hours || '|' || LaborDescription || '|' || LaborRate, ' ') FROM
      (SELECT * FROM LaborEstimateTBL ORDER BY LaborEstimateID)" \
    "4.0|Rough-in wiring|65 2.5|Fixture installation|72.5" "the labor lines"
  shot 3-estimate
}

stage_quote() {
  begin_stage quote
  press ctrl+p # File > Print Estimate: the preview
  await_window '^Estimate '
  shot 4-preview
  press ctrl+e # Export...
  await_window '^Export Estimate'
  # The dialog proposes a folder that exists (home, as a new user has no Documents), a name
  # from the reference number, and PDF.
  press Return
  await_gone '^Export Estimate'
  # The preview has the keyboard again, as a window manager gives it back once its dialog closes.
  await_window '^Estimate '
  press Escape # back to the estimate
  await_gone '^Estimate '
  [[ -s "$pdf_path" ]] || fail "no PDF at $pdf_path"
  local text
  text=$(pdftotext "$pdf_path" - 2>/dev/null) || fail "$pdf_path is not a readable PDF"
  for expected in "$company_name" "$reference" "Rough-in wiring" "TOTAL"; do
    grep -qF "$expected" <<<"$text" || fail "the PDF does not show \"$expected\""
  done
  shot 5-estimate-before-quit
}

stage_quit() {
  begin_stage quit
  press ctrl+q # File > Exit; nothing is left to save
  await_exit
}

stage_reopen() {
  begin_stage reopen
  start_program
  shot 6-home-after-restart
  press alt+d # Edit: the month's only estimate is selected
  sleep 1
  shot 7-reopened
  # The window now shows what it showed before quitting, not Home.
  local to_estimate to_home
  to_estimate=$(compare -metric AE -fuzz 5% "$walk_dir/7-reopened.png" \
    "$walk_dir/5-estimate-before-quit.png" null: 2>&1 || true)
  to_home=$(compare -metric AE -fuzz 5% "$walk_dir/7-reopened.png" \
    "$walk_dir/6-home-after-restart.png" null: 2>&1 || true)
  note "  pixels differing from the estimate before quitting: $to_estimate, from Home: $to_home"
  [[ "${to_estimate%% *}" =~ ^[0-9.e+]+$ && "${to_home%% *}" =~ ^[0-9.e+]+$ ]] ||
    fail "the screenshots could not be compared ($to_estimate / $to_home)"
  awk -v e="${to_estimate%% *}" -v h="${to_home%% *}" 'BEGIN { exit !(e * 10 < h) }' ||
    fail "the reopened window does not show the estimate as it was before quitting"
}

stage_price_list() {
  begin_stage "price list"
  press alt+t i # Tools > Import Price List...: the focus is on File
  await_window '^Import Price List'
  type_text "$price_list"
  press alt+s # Supplier
  type_text "Northwind Supply"
  # Each step reads or matches beside the window, its buttons off meanwhile: a moment for it.
  press Return # Next: the columns, guessed from the header
  sleep 1.5
  press Return # Next: the preview
  sleep 1.5
  press Return # Apply
  expect_sql "SELECT printf('%.2f', UnitCost) || '|' || substr(UpdatedLast, 1, 10)
    FROM MaterialsTBL WHERE PartNumber = 'NW-1001'" "13.25|$today" "the imported price"
  shot 8-price-list-report
  press Escape # Close
  await_gone '^Import Price List'
}

# --- The walk ------------------------------------------------------------------------------------

start_display "$((walk_width + 64))x$((walk_height + 64))"
start_program
stage_company
stage_materials
stage_estimate
stage_quote
stage_quit
stage_reopen
stage_price_list

# The end state, read from the file.
expect_sql "SELECT COUNT(*) FROM MaterialsTBL" 4 "materials"
expect_sql "SELECT COUNT(*) || '|' || MAX(QuoteNumber) FROM EstimateTBL" "1|$reference" "estimates"
for lines in "MaterialEstimateTBL 3" "LaborEstimateTBL 2"; do
  expect_sql "SELECT COUNT(*) FROM ${lines% *} JOIN EstimateTBL USING (EstimateID)
    WHERE QuoteNumber = $reference" "${lines#* }" "lines of the estimate in ${lines% *}"
done
expect_sql "SELECT group_concat(PartNumber || '=' || printf('%.2f', UnitCost), ' ') FROM
    (SELECT * FROM MaterialsTBL ORDER BY MaterialsID)" \
  "NW-1001=13.25 PE-220=3.85 SW-315=8.75 KD-440=24.90" "unit costs after the price list"
[[ -s "$pdf_path" ]] || fail "the PDF is gone"

walk_stage="done"
echo "Actions: $(count_summary)"
