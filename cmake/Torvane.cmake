# Shared build settings of the project's own targets.

function(torvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wold-style-cast -Werror)
endfunction()

if(WIN32)
  # The system headers aimed at Windows 7.
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
  # One self-contained executable: no libstdc++/libgcc/winpthread DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Host tests run under AddressSanitizer and UndefinedBehaviorSanitizer.
set(TORVANE_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

# One CTest entry per test executable, named after the platform it runs on.
# Windows executables run under Wine (CMAKE_CROSSCOMPILING_EMULATOR) and take
# the desktop lock: they share one display, clipboard and pointer.
function(torvane_add_test target)
  if(WIN32)
    add_test(NAME win.${target} COMMAND ${target})
    set_tests_properties(win.${target} PROPERTIES TIMEOUT 300 RESOURCE_LOCK desktop)
  else()
    add_test(NAME host.${target} COMMAND ${target})
    set_tests_properties(host.${target} PROPERTIES TIMEOUT 300)
  endif()
endfunction()
