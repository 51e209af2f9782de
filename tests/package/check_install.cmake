# What the Debian package holds, checked without a release build: the current
# build is installed into a staging directory as CPack installs it (prefix
# /usr under the package root), every file is accounted for, and the package
# settings CPack will use are the ones a panel PC needs.
#
#   cmake -DBUILD_DIR=... -DSTAGING=... -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

function(fail message)
  message(FATAL_ERROR "package check: ${message}")
endfunction()

file(REMOVE_RECURSE "${STAGING}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${STAGING}/usr"
                RESULT_VARIABLE installed OUTPUT_QUIET ERROR_VARIABLE install_error)
if(NOT installed EQUAL 0)
  fail("cmake --install failed: ${install_error}")
endif()

set(expected
    usr/bin/talvon-bin
    usr/bin/talvon-panel-web
    usr/bin/talvon-sim
    usr/bin/talvon-utility
    usr/share/applications/talvon-utility.desktop
    usr/share/icons/hicolor/scalable/apps/talvon-utility.svg)
file(GLOB_RECURSE landed LIST_DIRECTORIES false RELATIVE "${STAGING}" "${STAGING}/*")
list(SORT landed)
if(NOT landed STREQUAL expected)
  fail("installed files differ.\n  expected: ${expected}\n  landed:   ${landed}")
endif()

foreach(program talvon-bin talvon-panel-web talvon-sim talvon-utility)
  execute_process(COMMAND test -x "${STAGING}/usr/bin/${program}" RESULT_VARIABLE not_executable)
  if(NOT not_executable EQUAL 0)
    fail("usr/bin/${program} is not executable")
  endif()
endforeach()

# The menu starts the program the package installs, with the icon it installs.
file(READ "${STAGING}/usr/share/applications/talvon-utility.desktop" desktop)
if(NOT desktop MATCHES "\nExec=talvon-utility[ \n]" OR NOT desktop MATCHES "\nIcon=talvon-utility\n")
  fail("the desktop entry does not start talvon-utility with its icon")
endif()
file(READ "${STAGING}/usr/share/icons/hicolor/scalable/apps/talvon-utility.svg" icon)
if(NOT icon MATCHES "<svg")
  fail("the icon is not an SVG picture")
endif()

# The package settings: name, prefix, and run-time dependencies declared.
include("${BUILD_DIR}/CPackConfig.cmake")
if(NOT CPACK_PACKAGE_NAME STREQUAL "talvonutility")
  fail("package name is '${CPACK_PACKAGE_NAME}'")
endif()
if(NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  fail("package installs under '${CPACK_PACKAGING_INSTALL_PREFIX}', not /usr")
endif()
if(NOT CPACK_DEBIAN_PACKAGE_SHLIBDEPS OR NOT CPACK_DEBIAN_FILE_NAME STREQUAL "DEB-DEFAULT")
  fail("the shared-library dependencies or the talvonutility_VERSION_ARCH.deb name are not asked for")
endif()
foreach(dependency qt6-qpa-plugins fonts-dejavu-core)
  if(NOT CPACK_DEBIAN_PACKAGE_DEPENDS MATCHES "${dependency}")
    fail("${dependency} is not declared as a dependency")
  endif()
endforeach()
# Serving the panel to a browser: the script runs, and what it starts is
# recommended (apt installs recommended packages unless told not to).
execute_process(COMMAND "${STAGING}/usr/bin/talvon-panel-web" --help
                RESULT_VARIABLE help_failed OUTPUT_VARIABLE help)
if(NOT help_failed EQUAL 0 OR NOT help MATCHES "--password-file")
  fail("usr/bin/talvon-panel-web --help does not describe it")
endif()
foreach(dependency xvfb x11vnc novnc websockify)
  if(NOT CPACK_DEBIAN_PACKAGE_RECOMMENDS MATCHES "${dependency}")
    fail("${dependency} is not recommended, so talvon-panel-web may not run")
  endif()
endforeach()
file(REMOVE_RECURSE "${STAGING}")
