# Benchmarks of the window plumbing (Windows only).
if(WIN32)
  add_executable(subclass_bench subclass_bench.cpp)
  target_link_libraries(subclass_bench PRIVATE torvane_plumbing)
  torvane_warnings(subclass_bench)
endif()
