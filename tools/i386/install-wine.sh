#!/bin/sh
# Inside the i386 root file system: Wine and the virtual display the jobs run under.
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq &&
    apt-get install -y -qq --no-install-recommends wine wine32 xvfb xauth fonts-liberation \
        >/dev/null &&
    apt-get clean
