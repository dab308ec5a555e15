#!/usr/bin/env bash
# Maps drives of the Wine prefix to small tmpfs file systems (setup), and removes them again
# (cleanup): by default drive S: of 64 KiB for the full-disk test. Mounting needs root; without
# it the tests that need the drives skip themselves.
#   full_disk.sh setup   WINE_STATE_DIR [LETTER SIZE]...
#   full_disk.sh cleanup WINE_STATE_DIR [LETTER]...
# SIZE is a tmpfs size (64k) or a folder: then the drive has just the room that the folder's
# files take (each file in whole pages), and no more.
set -u
action=$1
state=$2
shift 2

# The room a folder's files take on a tmpfs, in bytes.
room_for() {
  local page
  page=$(getconf PAGESIZE)
  find "$1" -type f -printf '%s\n' |
    awk -v page="$page" '{ total += int(($1 + page - 1) / page) * page } END { print total + 0 }'
}

case "$action" in
  setup)
    # No Wine session on this machine: the tests skip themselves.
    [ -s "$state/unavailable" ] && exit 0
    [ $# = 0 ] && set -- s 64k
    while [ $# -ge 2 ]; do
      letter=$1 size=$2
      shift 2
      if [ -d "$size" ]; then
        size=$(room_for "$size")
        # size=0 would mean a tmpfs without a limit.
        [ "$size" = 0 ] && { echo "full_disk: no files to make room for"; continue; }
      fi
      mount_dir="$state/drive-$letter"
      mkdir -p "$mount_dir"
      mountpoint -q "$mount_dir" || mount -t tmpfs -o "size=$size" tmpfs "$mount_dir" 2>/dev/null || {
        echo "full_disk: cannot mount a tmpfs here (not root?); the tests on drive $letter: will skip"
        continue
      }
      ln -sfn "$mount_dir" "$state/prefix/dosdevices/$letter:"
    done
    ;;
  cleanup)
    [ $# = 0 ] && set -- s
    for letter in "$@"; do
      mount_dir="$state/drive-$letter"
      rm -f "$state/prefix/dosdevices/$letter:"
      mountpoint -q "$mount_dir" && umount "$mount_dir"
      rmdir "$mount_dir" 2>/dev/null
    done
    exit 0
    ;;
esac
