# Warnings are errors everywhere: a warning left today hides tomorrow's fault.
if(MSVC)
  # The sources are UTF-8 (the Chinese texts among them), whatever the system's code page.
  add_compile_options(/W4 /WX /utf-8 /permissive-)
  return()
endif()
add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow)
# GCC 12 reports std::string concatenation at -O2/-O3 as overlapping memcpy
# (a known false positive inside libstdc++); it would break every optimised build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
