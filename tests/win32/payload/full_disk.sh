#!/usr/bin/env bash
# Maps drive S: of the Wine prefix to a 64 KiB tmpfs for the full-disk test (setup), and removes
# both again (cleanup). Mounting needs root; without it the test skips itself.
#   full_disk.sh setup|cleanup WINE_STATE_DIR
set -u
action=$1
state=$2
mount_dir="$state/full-disk"
link="$state/prefix/dosdevices/s:"
case "$action" in
  setup)
    # No Wine session on this machine: the extraction test skips itself.
    [ -s "$state/unavailable" ] && exit 0
    mkdir -p "$mount_dir"
    mountpoint -q "$mount_dir" || mount -t tmpfs -o size=64k tmpfs "$mount_dir" 2>/dev/null || {
      echo "full_disk: cannot mount a tmpfs here (not root?); the full-disk test will skip"
      exit 0
    }
    ln -sfn "$mount_dir" "$link"
    ;;
  cleanup)
    rm -f "$link"
    mountpoint -q "$mount_dir" && umount "$mount_dir"
    rmdir "$mount_dir" 2>/dev/null
    exit 0
    ;;
esac
