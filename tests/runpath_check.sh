#!/usr/bin/env bash
# Every program and library in bin/ must search only absolute or $ORIGIN-relative folders:
# an empty or relative entry is the current folder, which holds whatever archive was dropped.
set -u
bin=$1
bad=0
for f in "$bin"/*; do
  [ -f "$f" ] || continue
  path=$(readelf -d "$f" 2>/dev/null | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
  [ -n "$path" ] || continue
  IFS=: read -r -a entries <<<"$path:"
  for e in "${entries[@]}"; do
    case "$e" in
      /*|'$ORIGIN'|'$ORIGIN/'*) ;;
      *) echo "$(basename "$f"): unsafe search path entry '$e' in '$path'"; bad=1 ;;
    esac
  done
done
[ $bad -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $bad
