# Sourced by the shell tests: check DESCRIPTION COMMAND... runs the command
# and counts it as passed or failed; summary prints the closing line and
# fails when anything failed.
passed=0 failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
summary() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
}
