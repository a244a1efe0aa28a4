# Benchmarks of the window plumbing (Windows only).
if(WIN32)
  add_executable(subclass_bench subclass_bench.cpp)
  target_link_libraries(subclass_bench PRIVATE torvane_plumbing)
  torvane_warnings(subclass_bench)
endif()

# Start-up time of torvane.exe against a bare window, judged from the screen.
if(WIN32)
  add_executable(bare_window WIN32 bare_window.cpp)
  target_link_libraries(bare_window PRIVATE torvane_caption)  # the skin's back colour, the window placement
  torvane_warnings(bare_window)
  add_executable(startup_bench startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE gdi32 user32 psapi)
  torvane_warnings(startup_bench)
  add_dependencies(startup_bench bare_window torvane)
endif()
