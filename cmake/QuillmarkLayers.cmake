# Warnings for the project's own code.
function(qm_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# qm_add_layer(<target> <folder> [LIBS ...] [PRIVATE_LIBS ...] [EXCLUDE files...])
# A static library of every .cpp below <folder>. A folder with no sources yet
# still yields a library, so the layering is visible from the first commit.
function(qm_add_layer target folder)
  cmake_parse_arguments(ARG "" "" "LIBS;PRIVATE_LIBS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT sources)
    set(stub ${CMAKE_BINARY_DIR}/layer_stubs/${target}.cpp)
    file(WRITE ${stub} "// ${folder} has no sources yet.\n")
    set(sources ${stub})
  endif()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
  qm_warnings(${target})
endfunction()
