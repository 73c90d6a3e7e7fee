if(VESTORA_SANITIZE)
  # Light optimisation and line tables only: the reports keep their file and
  # line, and the tree builds in far less time than with full debug info.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
endif()

if(VESTORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VESTORA_FUZZ needs clang (configure with CXX=clang++-14)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
