# Warnings every target of the project is built with.
add_library(vestora_warnings INTERFACE)
target_compile_options(vestora_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Wunused -Woverloaded-virtual -Wimplicit-fallthrough)

# vestora_library(name SOURCES ... DEPENDS ...): one static library per subsystem.
function(vestora_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE vestora_warnings)
endfunction()
