# The layers' include interfaces. Every include is written from the source
# root ("toolkit/forms/form.h"), so a layer's library is given an include
# directory in the build tree that holds only links to its own folders. A
# file then sees its own layer's folders and those of the libraries its
# layer links (always downward: app → forms → components → toolkit forms →
# graphics → win → core), and an include against that direction does not
# compile.
#
# The links only help the compiler: what holds the layers is the layer
# check (scripts/check_layers.py), a step of every build, which reads every
# include of every file of the program against the table written here. It
# needs no links, so it holds the layers where none can be made too.
# The build's own checks (the layers here, the program's imports) are
# Python scripts.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(kelvora_layer_folders target)
  set(root "${CMAKE_BINARY_DIR}/include/${target}")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  foreach(folder IN LISTS ARGN)
    set(link "${root}/${folder}")
    set(source "${CMAKE_SOURCE_DIR}/${folder}")
    if(IS_SYMLINK "${link}")
      # A build tree kept from a source tree elsewhere gets its links anew.
      file(READ_SYMLINK "${link}" current)
      if(current STREQUAL source)
        continue()
      endif()
      file(REMOVE "${link}")
    endif()
    get_filename_component(parent "${link}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    file(CREATE_LINK "${source}" "${link}" RESULT failed SYMBOLIC)
    if(failed)
      # Windows without the right to make symbolic links: the compiler sees
      # the whole source tree, and the layer check alone holds the layers.
      message(STATUS "No symbolic link ${link} (${failed}): ${target} compiles from the source root")
      target_include_directories(${target} ${scope} "${CMAKE_SOURCE_DIR}")
      return()
    endif()
  endforeach()
  target_include_directories(${target} ${scope} "${root}")
endfunction()

# A library (or the program) of the program's layers: it gets its own
# folders, if any, and a row in the layer table. A file belongs to the
# library that compiles it (a header to the one that compiles its .cpp),
# else to the one whose folder holds it, and may include only the files of
# its library and of the libraries that one links.
function(kelvora_layer target)
  set_property(GLOBAL APPEND PROPERTY KELVORA_LAYERS ${target})
  set_property(TARGET ${target} PROPERTY KELVORA_FOLDERS ${ARGN})
  if(ARGN)
    kelvora_layer_folders(${target} ${ARGN})
  endif()
endfunction()

function(kelvora_json_array out)
  set(items "")
  foreach(item IN LISTS ARGN)
    list(APPEND items "\"${item}\"")
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "[${joined}]" PARENT_SCOPE)
endfunction()

# Writes the layer table (build/<preset>/layers.json) and makes the layer
# check a step of the build, run again whenever a file of a layer changes.
# Called once, after every layer is defined.
function(kelvora_layer_check)
  get_property(layers GLOBAL PROPERTY KELVORA_LAYERS)
  set(rows "")
  set(watched "")
  foreach(target IN LISTS layers)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
      set(sources "")
    else()
      get_target_property(links ${target} LINK_LIBRARIES)
      get_target_property(sources ${target} SOURCES)
    endif()
    get_target_property(folders ${target} KELVORA_FOLDERS)
    get_target_property(dir ${target} SOURCE_DIR)
    set(layer_links "")
    foreach(link IN LISTS links)
      if(link IN_LIST layers)
        list(APPEND layer_links ${link})
      endif()
    endforeach()
    set(files "")
    foreach(source IN LISTS sources)
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${dir}" NORMALIZE OUTPUT_VARIABLE absolute)
      cmake_path(RELATIVE_PATH absolute BASE_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE relative)
      list(APPEND files ${relative})
      list(APPEND watched ${absolute})
    endforeach()
    if(NOT folders)
      set(folders "")
    endif()
    foreach(folder IN LISTS folders)
      file(GLOB_RECURSE held CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/${folder}/*.h"
           "${CMAKE_SOURCE_DIR}/${folder}/*.c" "${CMAKE_SOURCE_DIR}/${folder}/*.cpp"
           "${CMAKE_SOURCE_DIR}/${folder}/*.rc")
      list(APPEND watched ${held})
    endforeach()
    kelvora_json_array(folders_json ${folders})
    kelvora_json_array(sources_json ${files})
    kelvora_json_array(links_json ${layer_links})
    list(APPEND rows "    \"${target}\": {\"folders\": ${folders_json}, \"sources\": ${sources_json}, \"links\": ${links_json}}")
  endforeach()
  list(JOIN rows ",\n" body)
  set(table "${CMAKE_BINARY_DIR}/layers.json")
  file(CONFIGURE OUTPUT "${table}" CONTENT "{\n  \"generated\": \"${CMAKE_BINARY_DIR}/generated\",\n  \"libraries\": {\n${body}\n  }\n}\n")

  list(REMOVE_DUPLICATES watched)
  set(stamp "${CMAKE_BINARY_DIR}/layers.checked")
  add_custom_command(OUTPUT "${stamp}"
    COMMAND "${Python3_EXECUTABLE}" "${CMAKE_SOURCE_DIR}/scripts/check_layers.py" "${CMAKE_BINARY_DIR}"
    COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
    DEPENDS ${watched} "${table}" "${CMAKE_SOURCE_DIR}/scripts/check_layers.py"
    COMMENT "Checking every include against the layers"
    VERBATIM)
  add_custom_target(kelvora_layer_check ALL DEPENDS "${stamp}")
endfunction()
