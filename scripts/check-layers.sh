#!/usr/bin/env bash
# Fails when an include points up the program's floors, or when a file of the core (which
# must stay testable without a window) includes a widget, GUI or printing header.
#
# Floors, lowest first; a folder may include its own files and those of lower floors only:
#   base                    settings file, session record, money, errors, the message-box port
#   data                    connections, generic operations, download and upload
#   sale, report            the order and its pricing; the report engine
#   payment, devices        checkout and cards; display, drawer and receipts
#   shift, queries, utilities
#   app, admin              the top: start-up, main window, composing every port
# A screens/ folder belongs to its folder's floor and may also include frame/, which holds the
# screen frame and sits on base. Logic never includes frame/ or any screens/ folder.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"

floor() {
  case $1 in
    base) echo 0 ;;
    frame) echo 1 ;;
    data) echo 2 ;;
    sale | report) echo 3 ;;
    payment | devices) echo 4 ;;
    shift | queries | utilities) echo 5 ;;
    app | admin) echo 6 ;;
    *) echo "" ;;
  esac
}

qt_headers=$(find /usr/include -maxdepth 3 -type d -path '*qt6' 2>/dev/null | head -n 1)
gui_headers=""
if [ -n "$qt_headers" ]; then
  gui_headers=$(ls "$qt_headers/QtWidgets" "$qt_headers/QtGui" "$qt_headers/QtPrintSupport" \
    2>/dev/null | grep -v ':$' | sort -u || true)
fi

failures=0
fail() {
  echo "check-layers: $1" >&2
  failures=$((failures + 1))
}

while IFS= read -r file; do
  folder=${file%%/*}
  [ "$folder" = "$file" ] && folder=app  # main.cpp is the top
  in_screens=0
  case $file in */screens/*) in_screens=1 ;; esac
  [ "$folder" = frame ] && in_screens=1
  [ "$file" = main.cpp ] && in_screens=1
  own=$(floor "$folder")
  if [ -z "$own" ]; then
    fail "$file: folder '$folder' has no floor; add it to scripts/check-layers.sh"
    continue
  fi

  while IFS= read -r inc; do
    [ -n "$inc" ] || continue
    target=${inc%%/*}
    [ "$target" = "$inc" ] && continue
    case $inc in */screens/* | frame/*)
      if [ $in_screens -eq 0 ]; then fail "$file includes screen code \"$inc\""; fi ;;
    esac
    [ "$target" = "$folder" ] && continue
    [ "$target" = frame ] && continue
    other=$(floor "$target")
    [ -n "$other" ] || continue
    if [ "$folder" = frame ] && [ "$target" != base ]; then
      fail "$file: frame/ may include base/ only, not \"$inc\""
    elif [ "$other" -ge "$own" ]; then
      fail "$file ($folder) includes \"$inc\" ($target is not below $folder)"
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")

  if [ $in_screens -eq 0 ]; then
    while IFS= read -r inc; do
      [ -n "$inc" ] || continue
      base=${inc##*/}
      case $inc in
        QtWidgets/* | QtGui/* | QtPrintSupport/* | QtWidgets | QtGui | QtPrintSupport)
          fail "$file is core code and includes <$inc>"; continue ;;
      esac
      if [ -n "$gui_headers" ] && [ "$base" = "$inc" ] && grep -qxF "$inc" <<<"$gui_headers"; then
        if ! [ -e "$qt_headers/QtCore/$inc" ] && ! [ -e "$qt_headers/QtSql/$inc" ] &&
           ! [ -e "$qt_headers/QtNetwork/$inc" ] && ! [ -e "$qt_headers/QtSerialPort/$inc" ]; then
          fail "$file is core code and includes <$inc>"
        fi
      fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' "$file")
  fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

if [ $failures -gt 0 ]; then
  echo "check-layers: $failures include(s) break the floors; see docs/architecture.md" >&2
  exit 1
fi
echo "check-layers: every include points down"
