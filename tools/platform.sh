#!/bin/sh
# The platform a command's run of the plug-in takes, from the decision the command made where it
# started (tools/i386/probe.sh --decide): the shipped DLL under the Wine 8 root natively, else
# the x86_64 build under this machine's own Wine. Sourced; sets "platform" and "tree".
case ${TOLVANIX_I686:-} in
native) platform=i686-wine8 ;;
emulated) platform=x86_64 ;;
*)
    echo "$0: TOLVANIX_I686 is not set: the command decides it where it starts (tools/i386/probe.sh --decide)" >&2
    exit 2
    ;;
esac
tree=build/${platform%%-*}
