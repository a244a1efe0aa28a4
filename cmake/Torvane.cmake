# Shared build settings of the project's own targets.

function(torvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wold-style-cast -Werror)
endfunction()

if(WIN32)
  # The system headers aimed at Windows 7.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  # One self-contained executable: no libstdc++/libgcc/winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The release keeps torvane.exe within 512 KB: code is optimised for size
  # (-Oz; the portable conversion code keeps -Os, see torvane_portable_library),
  # and functions nothing calls are left out. (Not -fdata-sections: with it
  # this GCC stores zero-filled objects, the 136 KB of Base64 tables among
  # them, in the file.)
  add_compile_options($<$<CONFIG:Release>:-Oz> -ffunction-sections)
  add_link_options(-Wl,--gc-sections)
endif()

# Host tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
set(TORVANE_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

# A static library of portable code. On the host a second copy, NAME_checked,
# is built under the sanitizers for the tests (see torvane_use_portable).
function(torvane_portable_library name)
  add_library(${name} STATIC ${ARGN})
  torvane_warnings(${name})
  if(WIN32)
    # The conversions run over texts of megabytes: -Os still inlines and
    # unrolls where it pays, which -Oz gives up for the last bytes.
    target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-Os>)
  endif()
  if(NOT WIN32)
    add_library(${name}_checked STATIC ${ARGN})
    target_compile_options(${name}_checked PUBLIC ${TORVANE_SANITIZE})
    target_link_options(${name}_checked PUBLIC ${TORVANE_SANITIZE})
    torvane_warnings(${name}_checked)
  endif()
endfunction()

# The variants of a portable library that exist in this build.
function(torvane_portable_variants out name)
  set(variants ${name})
  if(TARGET ${name}_checked)
    list(APPEND variants ${name}_checked)
  endif()
  set(${out} ${variants} PARENT_SCOPE)
endfunction()

# Links each variant of portable library NAME to the same variant of each
# portable library after the visibility: NAME_checked to LIB_checked.
#   torvane_portable_link(NAME PUBLIC|PRIVATE LIB...)
function(torvane_portable_link name visibility)
  target_link_libraries(${name} ${visibility} ${ARGN})
  if(TARGET ${name}_checked)
    list(TRANSFORM ARGN APPEND _checked)
    target_link_libraries(${name}_checked ${visibility} ${ARGN})
  endif()
endfunction()

# The headers a library shows to the targets that link it: files or whole
# folders of the source tree, named from its top ("plumbing", "app/core/Module1.h").
# They are links under include/NAME in the build tree, and that folder is the
# only include directory the library hands on. So a target sees its own
# folder (quoted includes look there first) and the headers of what it links,
# and a lower layer that includes a higher one fails to build.
function(torvane_expose name)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  foreach(path IN LISTS ARGN)
    cmake_path(GET path PARENT_PATH parent)
    file(MAKE_DIRECTORY ${root}/${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${root}/${path} SYMBOLIC)
  endforeach()
  torvane_portable_variants(variants ${name})
  foreach(variant IN LISTS variants)
    get_target_property(type ${variant} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      target_include_directories(${variant} INTERFACE ${root})
    else()
      target_include_directories(${variant} PUBLIC ${root})
    endif()
  endforeach()
endfunction()

# Links a test to a portable library: on the host, to its sanitized copy.
function(torvane_use_portable target name)
  if(TARGET ${name}_checked)
    target_link_libraries(${target} PRIVATE ${name}_checked)
  else()
    target_link_libraries(${target} PRIVATE ${name})
  endif()
endfunction()

# One CTest entry per test executable, named after the platform it runs on.
# Windows executables run under Wine (CMAKE_CROSSCOMPILING_EMULATOR) and take
# the desktop lock: they share one display, clipboard and pointer. With
# SCALAR, the host build runs the executable a second time with the vector
# paths turned off (link/engine/CpuFeatures.h), so that both are tested.
function(torvane_add_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SCALAR" "" "")
  if(WIN32)
    add_test(NAME win.${target} COMMAND ${target})
    set_tests_properties(win.${target} PROPERTIES TIMEOUT 300 RESOURCE_LOCK desktop)
  else()
    add_test(NAME host.${target} COMMAND ${target})
    set_tests_properties(host.${target} PROPERTIES TIMEOUT 300)
    if(arg_SCALAR)
      add_test(NAME host.${target}.scalar COMMAND ${target})
      set_tests_properties(host.${target}.scalar PROPERTIES TIMEOUT 300 ENVIRONMENT TORVANE_SCALAR=1)
    endif()
  endif()
endfunction()

# Marks the tests of `target` that `filter` (a GoogleTest filter) selects as
# following the display scale: they run again at each DPI of the DPI groups
# (tests/CMakeLists.txt). Their expectations come from the DPI they see.
function(torvane_add_dpi_tests target filter)
  if(WIN32)
    set_property(GLOBAL APPEND PROPERTY TORVANE_DPI_TESTS "$<TARGET_FILE:${target}>=${filter}")
  endif()
endfunction()
