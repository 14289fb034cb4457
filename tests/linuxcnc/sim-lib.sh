# Shared by start-sim.sh and stop-sim.sh (sourced, POSIX sh).
#
# LinuxCNC is one per machine: its NML buffers and HAL/RTAPI use fixed SysV
# shared memory keys, linuxcncsvr listens on TCP 5005 and the linuxcnc script
# guards itself with /tmp/linuxcnc.lock.  These helpers find the processes of
# one run and clear what a killed run leaves behind.

SIM_LOCK=/tmp/linuxcnc.lock

# Environment variable that every process of a run inherits (start-sim.sh sets
# it for the linuxcnc script only).  rtapi_app and linuxcncsvr detach from
# their parent, so the environment is the one reliable tag.  Deliberately not
# the name start-sim.sh prints, so a caller's shell never carries it.
SIM_TAG=TARVEX_SIM_OWNER

# Print the pids whose environment has SIM_TAG=$1, except this shell and its
# parent.  (GNU grep: -z reads the NUL-separated environ entries as lines.)
sim_pids() {
    grep -lzxF "$SIM_TAG=$1" /proc/[0-9]*/environ 2>/dev/null |
    while IFS=/ read -r _ _ p _; do
        [ "$p" = "$$" ] || [ "$p" = "$PPID" ] || echo "$p"
    done
}

# True while any LinuxCNC process runs on this machine, whoever started it
# (read-only look by name; nothing is signalled here).
sim_linuxcnc_alive() {
    pidof -x linuxcnc linuxcncsvr milltask rtapi_app >/dev/null 2>&1
}

# Remove LinuxCNC's shared memory segments that nobody is attached to any
# more (left over after a kill -9).  Keys: NML buffers from linuxcnc.nml,
# then HAL, RTAPI, the uspace UUID and motion's own segment.
sim_clean_ipc() {
    keys=$(awk '$1 == "B" && $3 == "SHMEM" { printf "0x%08x\n", $10 }' \
        /usr/share/linuxcnc/linuxcnc.nml 2>/dev/null)
    keys="$keys 0x48414c32 0x90280a48 0x48484c34 0x00000064"
    ipcs -m 2>/dev/null | awk 'NR > 3 && $1 ~ /^0x/ { print tolower($1), $2, $6 }' |
    while read -r key id nattch; do
        for k in $keys; do
            if [ "$key" = "$k" ] && [ "$nattch" = 0 ]; then
                ipcrm -m "$id" 2>/dev/null
            fi
        done
    done
}
