#!/bin/sh
# Starts Moonlit Harbor from its private folder, which holds the program,
# its data/ and its music module: the program opens the module from its
# working directory. Options are passed through unchanged.
here=$(dirname "$(readlink -f "$0")")
folder="$here/../lib/moonlit-harbor"
cd "$folder" 2>/dev/null || {
    echo "moonlit-harbor: cannot enter $folder" >&2
    exit 1
}
exec ./moonlit-harbor "$@"
