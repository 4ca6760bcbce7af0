#!/bin/sh
# Runs a command under one virtual display, with each named platform's Wine ready for it (see
# tools/on-platform.sh): this work tree's prefix for the platform, copied from a ready one made
# by tools/wine-prefix.sh, and its server and desktop started before the command and kept for
# as long as it runs, so that they do not inherit the output pipes of a program the command
# starts (CTest would wait for them). The servers are shut down afterwards.
#
#   with-wine.sh [-p PLATFORM]... COMMAND...      (without -p: x86_64)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)

# A virtual display, unless the caller has a display to use (TOLVANIX_USE_DISPLAY); the
# script runs itself again inside it, once.
if [ -z "${TOLVANIX_USE_DISPLAY:-}" ] && [ -z "${TOLVANIX_UNDER_XVFB:-}" ]; then
    export TOLVANIX_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

platforms=""
while [ "${1:-}" = -p ]; do
    platforms="$platforms $2"
    shift 2
done
[ -n "$platforms" ] || platforms=x86_64
cache="${TOLVANIX_CACHE:-/var/cache/tolvanix}"
wine_folder="$root/build/wine"
mkdir -p "$wine_folder"

# The ready prefix of the host's own Wine, kept beside the i386 roots: made once for each Wine
# version and recipe.
host_template() {
    key=$( (WINEDEBUG=-all wine --version && cat "$root/tools/wine-prefix.sh") | sha256sum | cut -c1-16)
    template="$cache/prefixes/x86_64-$key"
    if [ ! -f "$template.ready" ]; then
        mkdir -p "$cache/prefixes"
        rm -rf "$template"
        WINEPREFIX="$template" WINEDEBUG=-all sh "$root/tools/wine-prefix.sh" \
            >"$template.log" 2>&1 || { tail -20 "$template.log" >&2; return 1; }
        WINEPREFIX="$template" wineserver -w
        touch "$template.ready"
    fi
    echo "$template"
}

# The platform's prefix, and its server and desktop, each process's output in its log.
prepare() {
    platform=$1
    prefix="$wine_folder/$platform"
    case $platform in
    x86_64) template=$(host_template) ;;
    *) template=$("$root/tools/i386/root.sh" prefix "$platform") ;;
    esac
    copied_from=""
    [ -f "$prefix.from" ] && copied_from=$(cat "$prefix.from")
    if [ "$copied_from" != "$template" ]; then
        rm -rf "$prefix"
        cp -a "$template" "$prefix"
        echo "$template" >"$prefix.from"
    fi
    on_platform="$root/tools/on-platform.sh $platform"
    if ! $on_platform wineserver -p >"$prefix.log" 2>&1 </dev/null; then
        echo "with-wine: $platform: no Wine server for $prefix (another run in this work tree?):" >&2
        cat "$prefix.log" >&2
        return 1
    fi
    # Wine closes a desktop soon after its last process has ended; the next program would start
    # it again, handing it its own output pipes. A shell that waits on a pipe, which stays open
    # until the end, keeps it.
    rm -f "$prefix.keep"
    mkfifo "$prefix.keep"
    $on_platform wine cmd <"$prefix.keep" >>"$prefix.log" 2>&1 &
    sleep infinity >"$prefix.keep" &
    echo $! >"$prefix.keeper"
    # A desktop that fails to start here starts with the command's first window instead.
    $on_platform wine cmd /c exit >>"$prefix.log" 2>&1 </dev/null ||
        echo "with-wine: $platform: the desktop did not start ahead of the command" >&2
}

stop() {
    for platform in $platforms; do
        keeper="$wine_folder/$platform.keeper"
        [ -f "$keeper" ] && kill "$(cat "$keeper")" 2>/dev/null
        rm -f "$keeper" "$wine_folder/$platform.keep"
        # A server already gone is no failure of the command.
        "$root/tools/on-platform.sh" "$platform" wineserver -k >>"$wine_folder/$platform.log" 2>&1 ||
            true
        "$root/tools/on-platform.sh" "$platform" wineserver -w >>"$wine_folder/$platform.log" 2>&1 ||
            true
    done
}
trap stop EXIT
trap 'exit 1' HUP INT TERM

pids=""
for platform in $platforms; do
    prepare "$platform" &
    pids="$pids $!"
done
for pid in $pids; do
    wait "$pid"
done

"$@"
