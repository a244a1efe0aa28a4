# The main window's conversion of a 16 MB address and of its link, timed
# under Wine against the real torvane.exe (Windows only):
#   scripts/wine-exec build/win64/bench/window_bench.exe [megabytes | --lines N]
if(WIN32)
  add_executable(window_bench window_bench.cpp)
  target_link_libraries(window_bench PRIVATE torvane_window)
  add_dependencies(window_bench torvane)
  torvane_warnings(window_bench)
endif()
