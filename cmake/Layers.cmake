# Each library exports only its own folder, so a header of another layer is found only
# by a target that links that layer's library: an include across layers without the
# link fails the build. The folder is reached through a link in the build tree whose
# parent holds nothing else; where links cannot be made, the whole tree is exported.
include_guard(GLOBAL)

function(rilo_folder_includes out folder)
  set(dir ${CMAKE_BINARY_DIR}/layers/${folder})
  if(NOT EXISTS ${dir}/${folder})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} RESULT failed SYMBOLIC)
    if(failed)
      set(dir ${PROJECT_SOURCE_DIR})
    endif()
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# rilo_library_includes(target folder [PUBLIC|INTERFACE|PRIVATE])
function(rilo_library_includes target folder)
  set(scope PUBLIC)
  if(ARGC GREATER 2)
    set(scope ${ARGV2})
  endif()
  rilo_folder_includes(dir ${folder})
  target_include_directories(${target} ${scope} ${dir})
endfunction()

# A program or test of the current folder sees that folder's headers.
function(rilo_own_includes target)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${folder}")
  rilo_library_includes(${target} ${folder} PRIVATE)
endfunction()
