# Makes the one self-contained page: every <link rel="stylesheet" href="X">
# and <script src="X"></script> of PAGE is replaced by the contents of X, read
# from SCRIPT_DIR, except kvetro-core.js, which is CORE (the Emscripten
# output with its WebAssembly inside).
#   cmake -DPAGE=... -DSCRIPT_DIR=... -DCORE=... -DOUTPUT=... -P InlinePage.cmake
file(READ ${PAGE} page)

function(kvetro_read_inline name result)
  if(name STREQUAL "kvetro-core.js")
    file(READ ${CORE} text)
  else()
    file(READ ${SCRIPT_DIR}/${name} text)
  endif()
  # Inside <script> or <style> the first "</" of a closing tag ends it.
  string(REPLACE "</" "<\\/" text "${text}")
  set(${result} "${text}" PARENT_SCOPE)
endfunction()

foreach(name kvetro.css)
  kvetro_read_inline(${name} text)
  string(REPLACE "<link rel=\"stylesheet\" href=\"${name}\">" "<style>\n${text}</style>" page
                 "${page}")
endforeach()
foreach(name kvetro-core.js kvetro.js)
  kvetro_read_inline(${name} text)
  string(REPLACE "<script src=\"${name}\"></script>" "<script>\n${text}</script>" page "${page}")
endforeach()

if(page MATCHES "<script src=|<link rel=\"stylesheet\"")
  message(FATAL_ERROR "${PAGE} still refers to a file that was not inlined")
endif()
file(WRITE ${OUTPUT} "${page}")
