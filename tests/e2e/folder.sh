# What the end-to-end scripts share: reporting each expectation, a working folder with
# the update package and a SQLite target holding last year's rows, and the checks of
# the target's tables. Source it after setting root (the checkout) and work (the
# working folder). The Access fixtures lie beside the checkout (TIERMEND_FIXTURES,
# which CTest sets, or ../shared/fixtures).

failures=0
fixtures=${TIERMEND_FIXTURES:-$root/../shared/fixtures}

# A writable copy of a fixture (the fixtures themselves are read-only).
copy_fixture() {
  cp "$fixtures/$1" "$2"
  chmod u+w "$2"
}

ok() { echo "ok   $1"; }
fail() {
  echo "FAIL $1"
  failures=$((failures + 1))
}
expect_eq() {
  if [ "$2" == "$3" ]; then ok "$1"; else fail "$1: expected [$3], got [$2]"; fi
}
expect_contains() {
  if [[ "$2" == *"$3"* ]]; then ok "$1"; else fail "$1: [$2] does not contain [$3]"; fi
}

sql() { sqlite3 "$work/basedb.mdb" "$1"; }

prepare_folder() {
  copy_fixture tiermenddb.mdb "$work/tiermenddb.mdb"
  cat "$root/testdata/bracket-tables-sqlite.sql" "$root/demo/data/basedb.sql" |
    sqlite3 "$work/basedb.mdb"
  printf '2,x,x,x,x,x,%s/,\r\n' "$work" >"$work/Link.txt"
}

expect_counts() {
  local what=$1
  expect_eq "$what: row counts" "$(sql "select (select count(*) from health_insu) || '/' ||
    (select count(*) from labor) || '/' || (select count(*) from incom_rep) || '/' ||
    (select count(*) from retire)")" "$2"
}

expect_health_insu_refreshed() {
  expect_eq "health_insu values" \
    "$(sql "select sum(insured_amount), sum(self), sum(employer), sum(gov_subsidy), min(grade), max(grade) from health_insu")" \
    "4833470|74966|235397|39233|1|50"
}

expect_all_refreshed() {
  expect_counts "$1" "50/38/151/62"
  expect_health_insu_refreshed
  expect_eq "labor notes" \
    "$(sql "select (select note from labor where grade = 1) || '|' || (select note from labor where grade = 16) || '|' || (select count(*) from labor where note = '') || '|' || (select note from labor where grade = 38)")" \
    "部分工時|基本工資|12|僅適用職災保險"
  expect_eq "labor sums" "$(sql "select sum(insured_salary), sum(worker_share), sum(ei_employer) from labor")" \
    "1344824|27682|8432"
  expect_eq "incom_rep last row" \
    "$(sql "select salary_from, salary_to, dep0, dep11 from incom_rep where salary_to = 270000")" \
    "268001|270000|35075|16275"
  expect_eq "incom_rep sums" "$(sql "select sum(dep0), sum(dep11) from incom_rep")" "1881787|422137"
  expect_eq "retire" "$(sql "select sum(contribution_wage), max(wage_to) from retire")" "3291524|9999999"
}

expect_untouched_own_table() {
  expect_eq "$1: the customer's own table" "$(sql "select count(*) from employee")" "2"
}

BRACKETS="health_insu labor incom_rep retire"
access_rows() { mdb-export -H "$1" "$2" | wc -l; }
access_counts() {
  local t out=
  for t in $BRACKETS; do out+="${out:+/}$(access_rows "$1" "$t")"; done
  echo "$out"
}
