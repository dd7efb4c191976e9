#!/bin/sh
# Every interface catalog holds a translation of every text the sources
# mark for translation, none fuzzy, and msgfmt finds nothing wrong in it.
#   check_catalogs.sh SOURCE_DIR
set -eu
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$source_dir"
find src -name '*.cpp' -o -name '*.h' | sort > "$work/files"
xgettext --from-code=UTF-8 -C --keyword=_ --keyword=wxTRANSLATE --keyword=wxPLURAL:1,2 \
  --keyword=wxGetTranslation -f "$work/files" -o "$work/language.pot"
status=0
count=0
for po in po/*.po; do
  count=$((count + 1))
  if ! msgcmp "$po" "$work/language.pot" 2> "$work/missing"; then
    echo "$po lacks texts of the sources:"; cat "$work/missing"; status=1
  fi
  if ! msgfmt --check --statistics -o /dev/null "$po" 2> "$work/stats"; then
    echo "$po does not compile:"; cat "$work/stats"; status=1
  elif grep -q -E 'fuzzy|untranslated' "$work/stats"; then
    echo "$po is not complete: $(cat "$work/stats")"; status=1
  fi
done
# The six languages besides English.
if [ "$count" -ne 6 ]; then echo "expected six catalogs, found $count"; status=1; fi
exit $status
