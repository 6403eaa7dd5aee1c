#!/usr/bin/env bash
# Lighthouse (mobile profile, the default) on an exported results page served
# over loopback, with Debian's Chromium. Prints one line of scores.
#
#   bench/lighthouse/run.sh EXPORT_DIR [REPORT.json]
#
# Set-up, once and with the network: (cd bench/lighthouse && npm ci)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
page_dir=$(realpath "$1")
report=$(realpath -m "${2:-$page_dir/../lighthouse.json}")
lighthouse="$here/node_modules/.bin/lighthouse"
if [ ! -x "$lighthouse" ]; then
  echo "lighthouse is not set up: run (cd $here && npm ci)" >&2
  exit 3
fi

port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$page_dir" >/dev/null 2>&1 &
server=$!
profile=$(mktemp -d)
trap 'kill "$server" 2>/dev/null; rm -rf "$profile"' EXIT
for _ in $(seq 50); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/index.html" && break
  sleep 0.1
done

"$lighthouse" "http://127.0.0.1:$port/index.html" --quiet \
  --chrome-path=/usr/bin/chromium \
  --chrome-flags="--headless=new --no-sandbox --disable-gpu --user-data-dir=$profile" \
  --only-categories=performance,accessibility,best-practices,seo \
  --output=json --output-path="$report"

node -e '
  const r = require(process.argv[1]);
  const score = (c) => r.categories[c].score.toFixed(2);
  const audit = (a) => r.audits[a].numericValue;
  console.log(`performance ${score("performance")}, accessibility ${score("accessibility")},` +
    ` best practices ${score("best-practices")}, SEO ${score("seo")};` +
    ` largest contentful paint ${(audit("largest-contentful-paint") / 1000).toFixed(1)} s,` +
    ` total byte weight ${Math.round(audit("total-byte-weight") / 1024)} KiB`);
  for (const [id, a] of Object.entries(r.audits)) {
    if (a.score !== null && a.score < 1 && a.scoreDisplayMode === "binary") console.log(`  failed: ${id}: ${a.title}`);
  }' "$report"
