#!/usr/bin/env bash
# Checks the one-way layering of the sources: platform <- engine <- disc <- app
# <- session <- ui. A file may include our own headers only from its own layer
# and the layers below it, and the system libraries' C headers (FFmpeg, LAME,
# libcdio, libburn, libudev, fontconfig, Xlib) only under platform/. The system's
# file headers (<fcntl.h>, <unistd.h>, <sys/stat.h>) are platform/'s too: the
# program's files are written, replaced and removed through platform/files/.
# Tests follow the layer they test, and may make fixtures with those headers. Prints every breach and fails when there is one.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"

roots=()
for layer in platform engine disc app session ui resources; do
  for root in "$layer" "tests/$layer"; do
    [ -d "$root" ] && roots+=("$root")
  done
done

grep -rnE --include='*.h' --include='*.cpp' --include='*.c' '^\s*#\s*include\s*[<"]' "${roots[@]}" |
  awk '
    BEGIN {
      # The layers each layer may include, itself included.
      allowed["platform"] = " platform "
      allowed["engine"] = " platform engine "
      allowed["disc"] = " platform engine disc "
      allowed["app"] = " platform engine disc app resources "
      allowed["session"] = " platform engine disc app resources session "
      allowed["ui"] = " platform engine disc app resources session ui "
      allowed["resources"] = " resources "
      library = "^(libavcodec|libavformat|libavutil|libswresample|libswscale|lame|cdio|libburn|libudev|fontconfig|X11)/|^(lame\\.h|libudev\\.h|libburn\\.h)$"
      posix = "^(fcntl\\.h|unistd\\.h|sys/stat\\.h)$"
      status = 0
    }
    {
      split($0, parts, ":")
      file = parts[1]; number = parts[2]
      header = $0
      sub(/^[^:]*:[0-9]+:[ \t]*#[ \t]*include[ \t]*[<"]/, "", header)
      sub(/[>"].*$/, "", header)
      path = file; sub(/^tests\//, "", path)
      layer = path; sub(/\/.*$/, "", layer)
      if (header ~ library) {
        if (layer != "platform") {
          print file ":" number ": the library header <" header "> belongs under platform/"
          status = 1
        }
        next
      }
      if (header ~ posix) {
        if (layer != "platform" && file !~ /^tests\//) {
          print file ":" number ": <" header "> is used only under platform/ (files go through platform/files/)"
          status = 1
        }
        next
      }
      first = header; sub(/\/.*$/, "", first)
      if (first == header || !(first in allowed)) next
      if (index(allowed[layer], " " first " ") == 0) {
        print file ":" number ": " layer "/ may not include " header " (a layer above it)"
        status = 1
      }
    }
    END {
      if (status == 0) print "layering: every include goes down or sideways"
      exit status
    }'
