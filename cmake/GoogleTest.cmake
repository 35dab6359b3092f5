# GoogleTest: the installed package for native builds; for cross builds it is
# compiled from the sources on the machine with the cross compiler.
set(VORNUP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")

if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  # The sources define the GTest::gtest and GTest::gtest_main targets.
  add_subdirectory(${VORNUP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

if(CMAKE_CROSSCOMPILING AND WIN32)
  # Windows test programs run under Wine, in a prefix of this build tree.
  set(VORNUP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${VORNUP_WINEPREFIX})
endif()
