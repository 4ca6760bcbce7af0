#!/bin/sh
# Inside an i386 Debian root (a native one, or the emulated machine's): Wine, the fonts the
# dialogs are drawn with, the Japanese locale that gives Wine code page 932, and the virtual
# display the emulated machine runs its jobs under.
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends wine wine32 xvfb xauth fonts-liberation \
    fonts-horai-umefont locales
apt-get clean
localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
