#!/bin/sh
# Checks the fleet example in docs/fleet with promtool: the scrape config (with its token file),
# the alert rules, and the rules' own tests. Exit 77 (skipped) where promtool is missing.
set -e
if ! command -v promtool >/dev/null 2>&1; then
  echo "SKIPPED: promtool is not installed (Debian package prometheus; scripts/lib/deps.sh installs it)"
  exit 77
fi
cd "$1/docs/fleet"
promtool check config prometheus.yml
promtool check rules kv4910_alerts.yml
promtool test rules kv4910_alerts_test.yml
