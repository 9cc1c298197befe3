#!/usr/bin/env bash
# The project's one way to make a Debian chroot and to run a command in it. Both happen in a
# private user and mount namespace: the chroot is made by `mmdebstrap --mode=unshare`, from the
# Debian archive that this machine's apt sources name (DEBIAN_MIRROR to choose another), and a
# command runs with the chroot's /proc, /dev and /tmp mounted where no other process sees them and
# all of them go when it ends. A chroot is made once and kept; it is made afresh when the suite,
# packages, set-up or options that it was made with change. Needs root, which the namespace maps
# to itself (with the 65536 ids below it), so that apt and dpkg work in the chroot as they do on a
# machine of its own.
#
#   debian-chroot.sh make FOLDER SUITE PACKAGES [SETUP [MMDEBSTRAP_OPTION...]]
#       PACKAGES: comma-separated, besides apt and make; SETUP: a bash script run in the new
#       chroot as root, with the network
#   debian-chroot.sh run [--bind DIR]... [--binfmt-i386 PROGRAM] FOLDER COMMAND...
#       --bind: DIR (absolute) at the same path inside, and the command starts in the last one
#       (else in /); --binfmt-i386: 32-bit x86 programs run through PROGRAM (a path in the
#       chroot, such as qemu-i386), registered in the namespace's own binfmt_misc only
#       The command runs with a bare environment, PATH and HOME=/root: put NAME=VALUE words
#       before it for more.
set -euo pipefail

here=$(dirname "$(realpath "$0")")
case ${1:-} in _*) ;; *) [ "$(id -u)" -eq 0 ] || { echo "debian-chroot.sh: run it as root" >&2; exit 1; } ;; esac

# The first archive of Debian itself (not its security archive) in the system's apt sources.
mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
          2>/dev/null |
        awk '/^deb[ \t]/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; break } }
             /^URIs:/ { for (i = 2; i <= NF; i++) print $i }' |
        grep -E '/debian/?$' | head -n 1 || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

make_chroot() {
  local folder=$1 suite=$2 packages=$3 setup=${4:-}
  shift $(($# < 4 ? $# : 4))
  local stamp started hooks=()
  # The chroot uses this machine's network, and so trusts what it trusts: the authorities added
  # here (a proxy that inspects TLS, as schools' and companies' do) go in too, for npm's registry.
  local authorities=/usr/local/share/ca-certificates
  if compgen -G "$authorities/*" >/dev/null; then
    hooks=(--customize-hook="copy-in $authorities /usr/local/share")
  fi
  stamp=$( (printf '%s\n' "$suite" "$packages" "$setup" "$@" ${hooks[@]+"${hooks[@]}"}
            cat "$authorities"/* 2>/dev/null) | sha256sum | cut -d' ' -f1)
  [ "$(cat "$folder/.complete" 2>/dev/null)" != "$stamp" ] || return 0
  "$here/install-debian-packages.sh" mmdebstrap uidmap
  rm -rf "$folder"
  mkdir -p "$(dirname "$folder")"
  local url=${DEBIAN_MIRROR:-$(mirror)}
  echo "Making a Debian $suite chroot in $folder from $url"
  started=$(date +%s)
  if [ -n "$setup" ]; then
    printf '%s\n' "$setup" >"$folder.setup"
    hooks+=(--customize-hook="chroot \"\$1\" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
      HOME=/root DEBIAN_FRONTEND=noninteractive /bin/bash -euo pipefail <$(printf %q "$folder.setup")")
  fi
  mmdebstrap --mode=unshare --variant=apt --include="make${packages:+,$packages}" \
    ${hooks[@]+"${hooks[@]}"} "$@" "$suite" "$folder" "$url"
  rm -f "$folder.setup"
  echo "$stamp" >"$folder/.complete"
  echo "Made the Debian $suite chroot in $(($(date +%s) - started)) s"
}

run_in_chroot() {
  local binds=() binfmt=
  while [ $# -gt 0 ]; do
    case $1 in
      --bind) binds+=("$(realpath "$2")"); shift 2 ;;
      --binfmt-i386) binfmt=$2; shift 2 ;;
      *) break ;;
    esac
  done
  local root
  root=$(realpath "$1")
  shift
  [ -e "$root/.complete" ] || { echo "debian-chroot.sh: no chroot in $root" >&2; exit 1; }

  # unshare makes the namespaces and becomes the command, keeping this process's id; meanwhile a
  # helper maps the ids 0 to 65535 to themselves from outside, as only a privileged parent can.
  (
    own=$(readlink /proc/self/ns/user)
    for _ in $(seq 3000); do
      user=$(readlink "/proc/$$/ns/user" 2>/dev/null) || exit 0
      if [ "$user" != "$own" ]; then
        echo '0 0 65536' >"/proc/$$/uid_map" && echo '0 0 65536' >"/proc/$$/gid_map"
        exit 0
      fi
      sleep 0.01
    done
  ) &
  local IFS=$'\n'
  exec unshare --user --mount --propagation private -- "$here/debian-chroot.sh" _mapped \
    "$root" "$binfmt" "${binds[*]}" "$@"
}

# In the namespaces: once the ids are mapped, again, so that the program has its capabilities.
wait_for_map() {
  local tries=0
  until read -r _ </proc/self/uid_map; do
    ((++tries < 3000)) || { echo "debian-chroot.sh: the user namespace was not mapped" >&2; exit 1; }
    sleep 0.01
  done
  exec "$here/debian-chroot.sh" _inside "$@"
}

# Mounts what the chroot needs and enters it.
enter() {
  local root=$1 binfmt=$2 binds=$3
  shift 3
  if [ -n "$binfmt" ]; then
    # ("F": the emulator is opened now, so that it serves inside the chroot.)
    local mnt
    mnt=$(mktemp -d)
    mount -t binfmt_misc binfmt_misc "$mnt"
    printf "%s" ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$root$binfmt:F" \
      >"$mnt/register"
  fi
  mount --rbind /proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs tmpfs "$root/tmp"
  local dir=/ bind
  if [ -n "$binds" ]; then
    while IFS= read -r bind; do
      mkdir -p "$root$bind"
      mount --rbind "$bind" "$root$bind"
      dir=$bind
    done <<<"$binds"
  fi
  exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root /bin/bash -c 'cd "$0" && exec env "$@"' "$dir" "$@"
}

case ${1:-} in
  make) shift; [ $# -ge 3 ] || { sed -n '11,19p' "$0" >&2; exit 2; }; make_chroot "$@" ;;
  _mapped) shift; wait_for_map "$@" ;;
  _inside) shift; enter "$@" ;;
  run) shift; [ $# -ge 2 ] || { sed -n '11,19p' "$0" >&2; exit 2; }; run_in_chroot "$@" ;;
  *) sed -n '11,19p' "$0" >&2; exit 2 ;;
esac
