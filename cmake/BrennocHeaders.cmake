# Include paths, one library at a time.
#
# A library's users see its public headers and nothing else: the headers of
# the folder itself, never those under internal/, nor other folders' headers
# unless they link that library. Every header keeps its usual path
# ("city/CityBuilder.h"): the public ones are linked into an include root of
# the library's own in the build tree, and the library's own sources see their
# whole folder through a second root. Nothing exports the source root, so an
# internal header used from outside, or a dependency not linked, fails to
# compile.

set(BRENNOC_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/include)

# Links ${root}/<folder> to the source folder, or ${root}/<folder>/<header> to
# the header, where <folder> is the folder's path from the source root.
function(brennoc_link_into root folder)
  set(link ${root}/${folder})
  if(ARGN)
    foreach(header ${ARGN})
      set(link ${root}/${folder}/${header})
      get_filename_component(parent ${link} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder}/${header} ${link} SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
  endif()
endfunction()

# brennoc_library_headers(<target> [HEADERS <header...>])
# Gives <target> its two include roots. Its public headers are HEADERS, or
# every *.h in the current source folder when none are named (internal/ is a
# folder of its own, so it is never among them).
function(brennoc_library_headers target)
  cmake_parse_arguments(ARG "" "" "HEADERS" ${ARGN})
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT ARG_HEADERS)
    file(GLOB ARG_HEADERS CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} *.h)
  endif()
  set(public ${BRENNOC_INCLUDE_ROOTS}/public/${target})
  set(own ${BRENNOC_INCLUDE_ROOTS}/own/${folder})
  file(REMOVE_RECURSE ${public})
  brennoc_link_into(${public} ${folder} ${ARG_HEADERS})
  if(NOT EXISTS ${own}/${folder})
    brennoc_link_into(${own} ${folder})
  endif()
  set_property(GLOBAL APPEND PROPERTY BRENNOC_LIBRARIES ${target})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${public})
  else()
    target_include_directories(${target} PUBLIC ${public} PRIVATE ${own})
  endif()
endfunction()

# brennoc_own_headers(<target> <folder>)
# Lets <target> (a program, a test, a benchmark) include every header of
# <folder> (a path from the source root), internal ones too: its own folder,
# or a library whose insides it tests.
function(brennoc_own_headers target folder)
  set(own ${BRENNOC_INCLUDE_ROOTS}/own/${folder})
  if(NOT EXISTS ${own}/${folder})
    brennoc_link_into(${own} ${folder})
  endif()
  target_include_directories(${target} PRIVATE ${own})
endfunction()
