#!/usr/bin/env bash
# Maps drives of the Wine prefix to small tmpfs file systems (setup), and removes them again
# (cleanup): by default drive S: of 64 KiB for the full-disk test. Mounting needs root; without
# it the tests that need the drives skip themselves.
#   full_disk.sh setup   WINE_STATE_DIR [LETTER SIZE]...
#   full_disk.sh cleanup WINE_STATE_DIR [LETTER]...
# LETTER may also be c/NAME: then folder NAME of drive C: is a link to the file system (a folder
# of one volume that is another volume). SIZE is a tmpfs size (64k) or a folder: then the file
# system has just the room that an installation of that folder takes (each file in whole pages,
# and a page for the folder and for each folder in it), and no more; bytes:FOLDER gives it the
# folder's file bytes together in whole pages: more than those bytes, less than the installation.
set -u
action=$1
state=$2
shift 2

# The room a folder's files and folders take on a tmpfs, in bytes.
room_for() {
  local page
  page=$(getconf PAGESIZE)
  find "$1" \( -type f -printf '%s\n' \) -o \( -type d -printf '1\n' \) |
    awk -v page="$page" '{ total += int(($1 + page - 1) / page) * page } END { print total + 0 }'
}

# Where LETTER's file system is mounted, and the link that makes it a drive or a folder of C:.
place() {
  case "$1" in
    */*)
      mount_dir="$state/linked-${1#*/}"
      link="$state/prefix/drive_${1%%/*}/${1#*/}"
      ;;
    *)
      mount_dir="$state/drive-$1"
      link="$state/prefix/dosdevices/$1:"
      ;;
  esac
}

case "$action" in
  setup)
    # No Wine session on this machine: the tests skip themselves.
    [ -s "$state/unavailable" ] && exit 0
    [ $# = 0 ] && set -- s 64k
    while [ $# -ge 2 ]; do
      letter=$1 size=$2
      shift 2
      case "$size" in
        bytes:*) size=$(find "${size#bytes:}" -type f -printf '%s\n' |
          awk -v page="$(getconf PAGESIZE)" '{ t += $1 } END { print int((t + page - 1) / page) * page }') ;;
      esac
      if [ -d "$size" ]; then
        size=$(room_for "$size")
        # size=0 would mean a tmpfs without a limit.
        [ "$size" = 0 ] && { echo "full_disk: no files to make room for"; continue; }
      fi
      place "$letter"
      mkdir -p "$mount_dir"
      # A file system that an interrupted run left there may have another size.
      mountpoint -q "$mount_dir" && umount "$mount_dir"
      mount -t tmpfs -o "size=$size" tmpfs "$mount_dir" 2>/dev/null || {
        echo "full_disk: cannot mount a tmpfs here (not root?); the tests on $letter will skip"
        continue
      }
      ln -sfn "$mount_dir" "$link"
    done
    ;;
  cleanup)
    [ $# = 0 ] && set -- s
    for letter in "$@"; do
      place "$letter"
      rm -f "$link"
      mountpoint -q "$mount_dir" && umount "$mount_dir"
      rmdir "$mount_dir" 2>/dev/null
    done
    exit 0
    ;;
esac
