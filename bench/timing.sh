# What the benchmark scripts share, sourced by them.

# The median of numbers, one a line on the standard input.
median() {
  sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# The wall time of a command in milliseconds; its output and status left
# aside.
milliseconds() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

# Headless Chromium on a page, in a profile of the scratch folder $work.
browse() {
  "$chromium" --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/profile" --window-size=1400,900 "$@" 2>/dev/null
}

# The steps of a driving page's runs (lines of "name<TAB>ms", every run's
# in turn) summed up by step: the median and the largest.
step_table() {
  local file=$1 runs=$2 step times
  echo "script time in headless Chromium (median and largest of $runs runs):"
  cut -f1 "$file" | awk '!seen[$0]++' | while IFS= read -r step; do
    times=$(awk -F'\t' -v s="$step" '$1 == s { print $2 }' "$file" | sort -n)
    printf "  %-42s %7s ms, at most %s ms\n" "$step" "$(echo "$times" | median)" \
      "$(echo "$times" | tail -1)"
  done
}
