# Benchmarks of the caption skin (Windows only).
if(WIN32)
  add_executable(caption_bench caption_bench.cpp $<TARGET_OBJECTS:torvane_resources>)
  target_link_libraries(caption_bench PRIVATE torvane_caption torvane_resource_ids)
  torvane_warnings(caption_bench)
endif()
