# Sourced by the scripts that build libraries from Debian's own source
# packages (build-windows-deps, build-web-deps): deb-src twins of the
# system's Debian entries, written to a private sources list, and the apt
# options that use it with private lists and cache. /etc/apt is never
# touched. Also the one package installer, which install-deps uses too.
# Callers define log().

# deb-src twins of the system's "deb" entries, from one-line lists...
deb_src_from_lists() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk '$1 == "deb" {
           opts = ""; i = 2
           if ($2 ~ /^\[/) { while (i < NF && $i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
           line = "deb-src" opts; for (; i <= NF; i++) line = line " " $i; print line }' || true
}

# ...and from deb822 stanzas, one line per URI and suite.
deb_src_from_stanzas() {
  cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    awk 'function flush() {
           if (types ~ /(^| )deb( |$)/ && uris != "" && enabled !~ /^[Nn]o/) {
             n = split(uris, u, " "); m = split(suites, s, " ")
             for (a = 1; a <= n; a++) for (b = 1; b <= m; b++)
               print "deb-src" (keyring != "" ? " [signed-by=" keyring "]" : "") " " u[a] " " s[b] " " comps
           }
           types = uris = suites = comps = keyring = enabled = ""
         }
         /^[ \t]*#/ { next }
         /^[ \t]*$/ { flush(); next }
         { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ /, "") }
         key == "Types" { types = $0 } key == "URIs" { uris = $0 }
         key == "Suites" { suites = $0 } key == "Components" { comps = $0 }
         key == "Signed-By" { keyring = $0 } key == "Enabled" { enabled = $0 }
         END { flush() }' || true
}

# The deb-src lines for the system's Debian archives (main and security).
debian_deb_src_lines() {
  local system
  system=$( { deb_src_from_lists; deb_src_from_stanzas; } |
            awk '$0 ~ /\/debian\/? / || $0 ~ /\/debian-security\/? /' | sort -u)
  [ -n "$system" ] || { log "no Debian entries in the system's apt sources"; return 1; }
  echo "$system"
}

# Fills the array named by $2 with the apt options of the private set-up in
# folder $1 (its sources.list, lists and cache).
private_apt_options() {
  local apt=$1
  local -n into=$2
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
  into=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
        -o Acquire::Retries=3 -o APT::Sandbox::User=root)
}

# Runs a step with a log file; on failure shows the log's end.
run_logged() {
  local logfile=$1; shift
  if ! "$@" >>"$logfile" 2>&1; then
    log "failed: $*"; tail -n 40 "$logfile" >&2; return 1
  fi
}

# Installs those of the named Debian packages that are missing.
install_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
