#!/bin/sh
# The command that starts the demo from any folder. The program reads its data as ../Resources/ from the
# folder it runs in, so it must run in its own bin/; this finds it from where this file lies (bin/demo
# beside it in the unpacked archive, ../lib/demo/bin/demo when the Debian package put it in /usr/bin/),
# so a package unpacked anywhere works too.
#
# The paths the program takes from its switches would then be read from its bin/, not from where the user
# stood: those that are relative are made absolute from the user's folder first. Only what the program
# itself takes as a path is touched: a non-empty DEMO_CAPTURE or DEMO_RECORD, and DEMO_STATS when it
# names a .csv file. Every other value (0, 1, empty, absolute) goes on as it is, so that what the program
# refuses is still refused, in the user's own words.
#
# exec hands the process over to the program: arguments, standard streams, signals and the exit status
# are then the program's own, with nothing of this script in between.

self=$(readlink -f -- "$0" 2>/dev/null) || self=$0
here=$(dirname -- "$self")
if [ -x "$here/bin/demo" ]; then
  bin=$here/bin
else
  bin=$here/../lib/demo/bin
fi

# $PWD, not a resolved path: the kernel resolves the joined path through the same links as it would have
# resolved the relative one.
case ${DEMO_CAPTURE-} in '' | /*) ;; *) DEMO_CAPTURE=$PWD/$DEMO_CAPTURE ;; esac
case ${DEMO_RECORD-} in '' | /*) ;; *) DEMO_RECORD=$PWD/$DEMO_RECORD ;; esac
# The program writes a CSV file only for a name longer than ".csv" itself.
case ${DEMO_STATS-} in /*) ;; *?.csv) DEMO_STATS=$PWD/$DEMO_STATS ;; esac

# Without CDPATH, cd goes where it is told and prints nothing on standard output.
unset CDPATH
cd "$bin" || exit 127
exec ./demo "$@"
