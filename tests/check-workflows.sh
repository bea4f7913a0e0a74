#!/bin/sh
# Every workflow under .github/workflows is one GitHub accepts (action-validator, from npm);
# skipped, with a word why, where the validator is not installed. A workflow without a runner
# must fail it, so that a validator that passes anything is caught too.
if ! command -v action-validator >/dev/null 2>&1; then
    echo "action-validator is not installed (npm install -g @action-validator/cli): skipped"
    exit 77
fi
cd "$1" || exit 1
status=0
for workflow in .github/workflows/*.yml .github/workflows/*.yaml; do
    [ -e "$workflow" ] || continue
    action-validator "$workflow" || { echo "$workflow is not a valid workflow"; status=1; }
done
broken=$(mktemp) || exit 1
trap 'rm -f "$broken"' EXIT
printf 'name: broken\non: push\njobs:\n  job:\n    steps:\n      - run: "true"\n' >"$broken"
if action-validator "$broken" >/dev/null 2>&1; then
    echo "action-validator passed a workflow whose job names no runner"
    status=1
fi
exit $status
