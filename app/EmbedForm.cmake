# Turns a text form file into a header holding its text, for the unit of
# the form to register (cmake -DIN=<file.dfm> -DOUT=<file.dfm.h> -P EmbedForm.cmake).
file(READ "${IN}" text)
if(text MATCHES "\\)DFM\"")
  message(FATAL_ERROR "${IN}: the form text may not contain )DFM\"")
endif()
get_filename_component(name "${IN}" NAME)
file(WRITE "${OUT}.tmp" "// Generated from ${name}; edit the form file.\n#pragma once\n"
     "static const char* const kFormText = R\"DFM(${text})DFM\";\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
