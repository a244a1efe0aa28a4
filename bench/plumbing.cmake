# Benchmarks of the window plumbing (Windows only).
if(WIN32)
  add_executable(subclass_bench subclass_bench.cpp)
  target_link_libraries(subclass_bench PRIVATE torvane_plumbing)
  torvane_warnings(subclass_bench)
endif()

# Start-up time of torvane.exe against a bare window and against the same
# window without the skin (plain_window), judged from the screen.
if(WIN32)
  add_executable(bare_window WIN32 bare_window.cpp)
  target_link_libraries(bare_window PRIVATE torvane_caption torvane_plumbing)  # back colour, placement, DPI
  torvane_warnings(bare_window)
  add_executable(plain_window WIN32 plain_window.cpp $<TARGET_OBJECTS:torvane_resources>)
  target_link_libraries(plain_window PRIVATE torvane_window)
  torvane_warnings(plain_window)
  add_executable(startup_bench startup_bench.cpp)
  target_link_libraries(startup_bench PRIVATE gdi32 user32 psapi)
  torvane_warnings(startup_bench)
  add_dependencies(startup_bench bare_window plain_window torvane)
endif()
