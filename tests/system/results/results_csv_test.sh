#!/bin/bash
# truv-results --csv-trials and --csv-summary, without a display, on two data files
# truv-sim wrote from the example study: the two-session input file run by three
# subjects, plus a stopped run (data lines, no subject log line) with a block ended
# early; the one-session input file run by a subject whose other code begins like a
# spreadsheet formula and holds a comma and quotes. Read back with pandas' read_csv
# as it is, no options (or, with TRUV_CSV_READER=r, R's read.csv; skipped, exit 77,
# where R is not installed): every slot a row, every session a row, latencies
# numbers, the flags booleans, that other code with an apostrophe before it, and as
# typed in the files written with --csv-raw. Then what it must not do: overwrite the
# subject log it reads, wait on a FIFO given as a data file, or miss the subject log
# of runs given a link to the data file.
#   results_csv_test.sh TRUV_RESULTS TRUV_SIM
set -u
. "$(dirname "$0")/../lib.sh"
results=$1
sim=$2
reader=${TRUV_CSV_READER:-pandas}
if [ "$reader" = r ] && ! command -v Rscript >/dev/null 2>&1; then
  echo "SKIP: Rscript is not installed (Debian: r-base-core)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- the data
copy_example_study "$work"
for subject in 1 2 3; do
  simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/study.dat" --subject "$subject" --sex f --seed "$subject"
done
simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/stopped.dat" --subject 4 --skip 3:2 --seed 4
tail -n +2 "$work/stopped.dat" >>"$work/study.dat"
simulate "$sim" "$work/demo-one-session.inp" --data "$work/second.dat" --subject 5 --sex m --other '=x,"y"' --seed 5

# Every line but the headers is a slot; key 9 (field 22) marks an unrun one.
slots=$(cat "$work/study.dat" "$work/second.dat" | grep -vc '^InpFl')
unrun=$(cat "$work/study.dat" "$work/second.dat" | awk -F'\t' '$22 == "9"' | wc -l)
[ "$unrun" -gt 0 ] || fail "the block ended early left no unrun slot"
sessions=9  # subjects 1 to 4 two sessions each, subject 5 one

# --- the exports
"$results" --csv-trials "$work/trials.csv" --csv-summary "$work/summary.csv" "$work/study.dat" "$work/second.dat" \
  >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "truv-results: exit status $status"
"$results" --csv-raw --csv-trials "$work/raw-trials.csv" --csv-summary "$work/raw-summary.csv" "$work/study.dat" \
  "$work/second.dat" >"$work/out" 2>"$work/err" || fail "truv-results --csv-raw: exit status $?"
for file in trials summary raw-trials raw-summary; do
  [ -s "$work/$file.csv" ] || fail "no $file.csv was written"
  iconv -f UTF-8 -t UTF-8 "$work/$file.csv" >/dev/null 2>&1 || fail "$file.csv is not valid UTF-8"
  grep -q $'\r' "$work/$file.csv" && fail "$file.csv has CR line ends"
done

# --- read back
export TRIALS="$work/trials.csv" SUMMARY="$work/summary.csv" SLOTS="$slots" UNRUN="$unrun" SESSIONS="$sessions"
export RAW_TRIALS="$work/raw-trials.csv" RAW_SUMMARY="$work/raw-summary.csv"
if [ "$reader" = pandas ]; then
  # Debian's python3-pandas belongs to the system's Python, which another one on the
  # PATH may hide.
  python=
  for candidate in python3 /usr/bin/python3; do
    if "$candidate" -c 'import pandas' 2>/dev/null; then python=$candidate; break; fi
  done
  [ -n "$python" ] || fail "no Python with pandas (Debian: python3-pandas)"
  "$python" - <<'EOF' || fail "pandas read the exports otherwise than expected"
import os
import sys

import pandas as pd
from pandas.api import types

problems = []
def check(ok, what):
    if not ok:
        problems.append(what)

trials = pd.read_csv(os.environ["TRIALS"])
summary = pd.read_csv(os.environ["SUMMARY"])

for column in ["run", "subject", "sex", "other", "input_file", "session", "half", "block", "block_role", "trial",
               "word", "latency", "errors", "key", "unrun", "excluded"]:
    check(column in trials.columns, f"trials: no column {column}")
for column in ["run", "subject", "session", "complete", "score", "excluded", "exclusion_reasons"]:
    check(column in summary.columns, f"summary: no column {column}")
if problems:
    sys.exit("\n".join(problems + [f"trials columns: {list(trials.columns)}", f"summary columns: {list(summary.columns)}"]))

check(len(trials) == int(os.environ["SLOTS"]), f"trials: {len(trials)} rows, {os.environ['SLOTS']} slots")
# An unrun slot has no latency: the column may be float for its empty cells.
check(types.is_numeric_dtype(trials["latency"]), f"trials: latency is {trials['latency'].dtype}, not numeric")
check(types.is_integer_dtype(trials["run"]) and types.is_integer_dtype(trials["subject"]), "trials: run or subject")
for flag in ["unrun", "excluded"]:
    check(types.is_bool_dtype(trials[flag]), f"trials: {flag} is {trials[flag].dtype}, not bool")
check(int(trials["unrun"].sum()) == int(os.environ["UNRUN"]),
      f"trials: {int(trials['unrun'].sum())} unrun, {os.environ['UNRUN']} expected")
check(trials.loc[~trials["unrun"], "latency"].notna().all(), "trials: a run slot without its latency")
check(sorted(trials["run"].unique()) == [1, 2, 3, 4, 5], f"trials: runs {sorted(trials['run'].unique())}")
roles = {"pair1_practice", "pair2_practice", "combined_practice", "combined_recorded"}
check(set(trials["block_role"]) == roles, f"trials: block roles {set(trials['block_role'])}")
check(set(trials.loc[trials["subject"] == 5, "other"]) == {"'=x,\"y\""}, "trials: the other code, disarmed")
check(set(trials.loc[trials["subject"] == 5, "sex"]) == {"m"}, "trials: subject 5's sex")

check(len(summary) == int(os.environ["SESSIONS"]), f"summary: {len(summary)} rows, {os.environ['SESSIONS']} expected")
check(types.is_float_dtype(summary["score"]), f"summary: score is {summary['score'].dtype}")
for flag in ["complete", "excluded"]:
    check(types.is_bool_dtype(summary[flag]), f"summary: {flag} is {summary[flag].dtype}, not bool")
check(list(summary.loc[~summary["complete"], "subject"].unique()) == [4], "summary: only run 4 is incomplete")
check(summary["score"].notna().sum() >= 8, "summary: fewer than 8 scores")
check(set(summary.loc[summary["subject"] == 5, "other"]) == {"'=x,\"y\""}, "summary: the other code, disarmed")
for name in ["RAW_TRIALS", "RAW_SUMMARY"]:
    raw = pd.read_csv(os.environ[name])
    check(set(raw.loc[raw["subject"] == 5, "other"]) == {'=x,"y"'}, f"{name}: the other code as typed")

if problems:
    sys.exit("\n".join(problems))
EOF
else
  cat >"$work/check.R" <<'EOF'
trials <- read.csv(Sys.getenv("TRIALS"))
summary <- read.csv(Sys.getenv("SUMMARY"))
problems <- character()
check <- function(ok, what) if (!isTRUE(ok)) problems <<- c(problems, what)
for (column in c("run", "subject", "sex", "other", "input_file", "session", "half", "block", "block_role", "trial",
                 "word", "latency", "errors", "key", "unrun", "excluded"))
  check(column %in% names(trials), paste("trials: no column", column))
if (length(problems) == 0) {
  check(nrow(trials) == as.integer(Sys.getenv("SLOTS")), paste("trials:", nrow(trials), "rows"))
  check(is.numeric(trials$latency), paste("trials: latency is", class(trials$latency)))
  check(is.logical(trials$unrun), paste("trials: unrun is", class(trials$unrun)))
  check(is.logical(trials$excluded), paste("trials: excluded is", class(trials$excluded)))
  check(sum(trials$unrun) == as.integer(Sys.getenv("UNRUN")), "trials: unrun count")
  check(all(trials$other[trials$subject == 5] == "'=x,\"y\""), "trials: the other code, disarmed")
  raw <- read.csv(Sys.getenv("RAW_SUMMARY"))
  check(all(raw$other[raw$subject == 5] == "=x,\"y\""), "raw summary: the other code as typed")
  check(nrow(summary) == as.integer(Sys.getenv("SESSIONS")), paste("summary:", nrow(summary), "rows"))
  check(is.numeric(summary$score), paste("summary: score is", class(summary$score)))
  check(is.logical(summary$excluded) && is.logical(summary$complete), "summary: the flags are not logical")
}
if (length(problems) > 0) {
  writeLines(problems, stderr())
  quit(status = 1)
}
EOF
  Rscript --vanilla "$work/check.R" || fail "R read the exports otherwise than expected"
fi

# --- files it must not read or overwrite
cp "$work/study.slg" "$work/study.slg.before"
"$results" --csv-trials "$work/refused.csv" --csv-summary "$work/study.slg" "$work/study.dat" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "an output onto the subject log read: exit status $status, not 1"
cmp -s "$work/study.slg" "$work/study.slg.before" || fail "the subject log was overwritten"
[ -e "$work/refused.csv" ] && fail "an output was written although another one was refused"
grep -q "is a subject log of the study" "$work/err" || fail "the refusal does not say why"

mkfifo "$work/pipe.dat"
timeout 30 "$results" --csv-summary "$work/pipe.csv" "$work/pipe.dat" >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "a FIFO as the data file: exit status $status, not 1 (124: it waited on the FIFO)"
grep -q "pipe.dat: it is a FIFO" "$work/err" || fail "the FIFO is not named as one"

# A run given a link to the data file writes its subject log beside the link.
ln -s study.dat "$work/link.dat"
simulate "$sim" "$work/demo-two-sessions.inp" --data "$work/link.dat" --subject 6 --seed 6
[ -s "$work/link.slg" ] || fail "the run through the link wrote no link.slg"
"$results" --csv-summary "$work/linked.csv" "$work/link.dat" >"$work/out" 2>"$work/err" || fail "truv-results link.dat"
# Subjects 1 to 3 and 6 complete (two sessions each), the stopped run of subject 4 not.
complete=$(awk -F, 'NR > 1 && $9 == "TRUE"' "$work/linked.csv" | cut -d, -f3 | sort -u | tr '\n' ' ')
[ "$complete" = "1 2 3 6 " ] || fail "through the link, the complete runs are those of subjects $complete"
echo "PASS ($reader)"
