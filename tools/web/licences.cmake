# licences.cmake -- the page's licences.html, made from tools/web/licences.tsv at build time
#
# Usage: cmake -DLIST=licences.tsv -DOUT=licences.html -DTOP=<source tree> -DVERSION=<ours>
#        -P licences.cmake
# Each line of the list is name, version, licence and the path of the licence's whole text
# (absolute, or from the top of the tree), separated by tabs; lines starting with # are notes.
# The page lists them all, then gives each text whole. A text missing fails the build: a page
# must not go out without the licences it owes.
foreach(var LIST OUT TOP VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "licences.cmake needs -D${var}=")
  endif()
endforeach()

function(escape text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(STRINGS "${LIST}" lines ENCODING UTF-8)
set(rows "")
set(texts "")
set(n 0)
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  endif()
  # A list of CMake's own is split at semicolons: a field must not hold one.
  if(line MATCHES ";")
    message(FATAL_ERROR "${LIST}: a semicolon in: ${line}")
  endif()
  string(REPLACE "\t" ";" fields "${line}")
  list(LENGTH fields count)
  if(NOT count EQUAL 4)
    message(FATAL_ERROR "${LIST}: expected name, version, licence and path, tab-separated: ${line}")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 version)
  list(GET fields 2 licence)
  list(GET fields 3 path)
  string(REPLACE "@PROJECT_VERSION@" "${VERSION}" version "${version}")
  if(NOT IS_ABSOLUTE "${path}")
    set(path "${TOP}/${path}")
  endif()
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${LIST}: the licence of ${name} is not at ${path}")
  endif()
  file(READ "${path}" text)
  math(EXPR n "${n} + 1")
  escape("${name}" name)
  escape("${version}" version)
  escape("${licence}" licence)
  escape("${text}" text)
  string(APPEND rows "<tr><td><a href=\"#c${n}\">${name}</a></td><td>${version}</td><td>${licence}</td></tr>\n")
  string(APPEND texts "<h2 id=\"c${n}\">${name} ${version}</h2>\n<p>${licence}</p>\n<pre>${text}</pre>\n")
endforeach()
if(n EQUAL 0)
  message(FATAL_ERROR "${LIST} names nothing")
endif()

file(WRITE "${OUT}.tmp" "<!DOCTYPE html>
<!-- licences.html -- what the page contains and the licence of each (made from licences.tsv) -->
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Velmora: licences</title>
<link rel=\"icon\" href=\"data:,\">
<style>
  body { margin: 1.5em auto; max-width: 52em; padding: 0 1em; background: #000; color: #ddd;
         font: 15px sans-serif; }
  a { color: #9bd; }
  table { border-collapse: collapse; }
  td, th { padding: 0.2em 0.8em; text-align: left; border-bottom: 1px solid #333; }
  pre { white-space: pre-wrap; font-size: 12px; background: #111; padding: 0.8em; }
</style>
</head>
<body>
<h1>What this page contains, and under which licences</h1>
<p><a href=\"index.html\">Back to the game</a></p>
<table id=\"components\">
<tr><th>Component</th><th>Version</th><th>Licence</th></tr>
${rows}</table>
${texts}</body>
</html>
")
file(RENAME "${OUT}.tmp" "${OUT}")
