# Benchmarks of the command-line link converter: torvane-link against a
# Python 3 script on 1,000,000 links and addresses (host only).
#   cmake --build --preset host --target link_bench
if(NOT WIN32)
  add_custom_target(link_bench
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/link_bench.sh $<TARGET_FILE:torvane-link> 1000000
    DEPENDS torvane-link
    USES_TERMINAL
    VERBATIM)
endif()
