# Compiler warnings and sanitizers shared by every target of the project.
function(buffer_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(BUFFER_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(BUFFER_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(BUFFER_TSAN)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "BUFFER_TSAN needs Clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# The fuzz targets link the sanitizer build's objects, so every object of that
# build carries libFuzzer's coverage feedback; the other executables still
# link without the fuzzer's main.
if(BUFFER_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT BUFFER_SANITIZE)
    message(FATAL_ERROR "BUFFER_BUILD_FUZZ needs Clang and BUFFER_SANITIZE=ON")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()

# Libraries export only what carries their export macro. Calls inside a
# library bind to its own definitions: nobody interposes our exported
# functions, and GCC would otherwise neither inline nor call them directly
# (every member of an exported class would go through the PLT).
function(buffer_hide_symbols target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_compile_options(${target} PRIVATE -fno-semantic-interposition)
endfunction()
