# The layers' include interfaces. Every include is written from the source
# root ("toolkit/forms/form.h"), so a layer's library is given an include
# directory in the build tree that holds only links to its own folders. A
# file then sees its own layer's folders and those of the libraries its
# layer links (always downward: app → forms → components → toolkit forms →
# graphics → win → core), and an include against that direction does not
# build.
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
      # Windows without the right to make symbolic links: the build still
      # works, from the source root, but no longer holds the layers apart.
      message(WARNING "No symbolic link ${link} (${failed}): ${target} sees the whole source tree")
      target_include_directories(${target} ${scope} "${CMAKE_SOURCE_DIR}")
      return()
    endif()
  endforeach()
  target_include_directories(${target} ${scope} "${root}")
endfunction()
