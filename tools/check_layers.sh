#!/usr/bin/env bash
# The project's folders are libraries stacked in layers: each may include its own headers and
# those of the folders listed after it, never one above. Prints every include that runs upwards
# (FILE:LINE: the include) and exits 1 when there is one.
#   tools/check_layers.sh [ROOT]   (default: the repository this script is in)
set -uo pipefail
root=${1:-"$(dirname "$0")/.."}

# folder: the folders its sources may include besides its own.
declare -A may_include=(
  [textio]=""
  [numeric]=""
  [files]=""
  [dialogue]="textio"
  [motion]="numeric"
  [site]="motion numeric"
  [waveio]="motion numeric textio files"
  [operations]="waveio motion site textio files"
  [suite]="operations waveio motion site textio files"
  [report]="suite operations waveio motion textio files"
  [wavetool]="report suite operations waveio motion site textio files"
  [fitwave]="dialogue waveio motion numeric textio"
  [seedwave]="dialogue waveio motion numeric textio"
)

status=0
for folder in "${!may_include[@]}"; do
  [ -d "$root/$folder" ] || continue
  allowed=" $folder ${may_include[$folder]} "
  while IFS= read -r hit; do
    [ -n "$hit" ] || continue
    included=${hit#*#include \"}
    included=${included%%/*}
    if [[ "$allowed" != *" $included "* ]]; then
      echo "${hit%%#include*} $folder/ may not include $included/ (${hit#*#include })"
      status=1
    fi
  done < <(cd "$root" && grep -Hn '^#include "[a-z_]*/' "$folder"/*.h "$folder"/*.cpp 2>/dev/null)
done
exit $status
