# What a release carries, all of it versioned by project(): each program's
# version information and manifest, the user's README.txt, the install rules,
# and the zip that CPack packs from them (scripts/package runs it).
# Included last, once every program's target exists.

# The copyright line is the licence's, so that it is written in one place.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE TORVANE_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)

if(NOT WIN32)
  return()
endif()

# The version as Windows' four numbers: 4.1 is 4.1.0.0.
set(quad)
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND quad 0)
  else()
    list(APPEND quad ${PROJECT_VERSION_${part}})
  endif()
endforeach()
string(JOIN "." TORVANE_VERSION_QUAD ${quad})
string(JOIN ", " TORVANE_VERSION_COMMAS ${quad})

# Gives a program its own version information, in English and Chinese, and
# manifest, both written from one template each (resources/program.rc.in,
# resources/program.manifest.in), and, with ICON, the application icon. A
# CONSOLE program's manifest leaves out what only windows use (common
# controls 6, DPI awareness). The program is linked without a time stamp, so
# that the same source gives the same bytes.
#   torvane_program_resources(TARGET "what it is" "它是什么" [ICON] [CONSOLE])
function(torvane_program_resources target description description_zh)
  cmake_parse_arguments(PARSE_ARGV 3 arg "ICON;CONSOLE" "" "")
  set(TORVANE_TARGET ${target})
  set(TORVANE_DESCRIPTION "${description}")
  set(TORVANE_DESCRIPTION_ZH "${description_zh}")
  set(TORVANE_FILE_NAME ${target}${CMAKE_EXECUTABLE_SUFFIX})
  set(dir ${CMAKE_BINARY_DIR}/resources/${target})
  set(TORVANE_MANIFEST ${dir}/${TORVANE_FILE_NAME}.manifest)
  set(template ${PROJECT_SOURCE_DIR}/resources/program.manifest.in)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
  file(READ ${template} manifest)
  if(arg_CONSOLE)
    string(REGEX REPLACE "  <!-- windows: begin -->.*<!-- windows: end -->\n" "" manifest "${manifest}")
  else()
    string(REGEX REPLACE "  <!-- windows: (begin|end) -->\n" "" manifest "${manifest}")
  endif()
  file(CONFIGURE OUTPUT ${TORVANE_MANIFEST} CONTENT "${manifest}" @ONLY)
  set(depends ${TORVANE_MANIFEST})
  set(TORVANE_ICON_LINE "")
  if(arg_ICON)
    set(TORVANE_ICON_LINE "IDI_TORVANE ICON \"${PROJECT_SOURCE_DIR}/resources/torvane.ico\"")
    list(APPEND depends ${PROJECT_SOURCE_DIR}/resources/torvane.ico)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/resources/program.rc.in ${dir}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set_source_files_properties(${dir}/${target}.rc TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS "${depends}")
  # The link map beside the program names the runtime code linked into it,
  # which THIRD-PARTY-NOTICES.txt must cover (the release test checks).
  target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp "-Wl,-Map=$<TARGET_FILE:${target}>.map")
endfunction()

torvane_program_resources(torvane "Torvane: download addresses to links and back" "Torvane：下载地址与链接互相转换")
# The window has no console for libstdc++'s terminate message (see the file).
target_sources(torvane PRIVATE ${PROJECT_SOURCE_DIR}/app/window/SilentTerminate.cpp)
torvane_program_resources(torvane-link "Torvane link converter for the command line" "Torvane 命令行链接转换器"
                          ICON CONSOLE)
torvane_program_resources(menubar_demo "Torvane menu bar demo" "Torvane 菜单栏演示")

# The zip: both programs stripped, the user's README.txt, the changelog, the
# licence and the notices of the runtime code linked into the programs, side
# by side at its top. scripts/package makes it reproducible.
configure_file(${PROJECT_SOURCE_DIR}/docs/README.txt.in ${CMAKE_BINARY_DIR}/dist/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/docs/THIRD-PARTY-NOTICES.txt ${CMAKE_BINARY_DIR}/dist/THIRD-PARTY-NOTICES.txt
               @ONLY NEWLINE_STYLE CRLF)
install(TARGETS torvane torvane-link RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/dist/README.txt ${CMAKE_BINARY_DIR}/dist/THIRD-PARTY-NOTICES.txt
              ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
        DESTINATION .)
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VENDOR "the Torvane developers")
set(CPACK_PACKAGE_FILE_NAME torvane-${PROJECT_VERSION}-win64)
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
# Packing does not build: scripts/package and scripts/test build first, and
# the release test packs while other tests run.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
