# The JSON library for the run report: Debian's header-only nlohmann-json3-dev.
# Native builds find its CMake package. Cross builds (mingw) take the same
# headers: they hold no system code, but /usr/include itself must not reach
# the cross compiler, so only the library's own folder is linked into the
# build tree and that is the include directory.
if(CMAKE_CROSSCOMPILING)
  find_path(VORNUP_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  if(NOT VORNUP_JSON_HEADERS)
    message(FATAL_ERROR "nlohmann/json.hpp not found (Debian: apt-get install nlohmann-json3-dev)")
  endif()
  set(json_include ${CMAKE_BINARY_DIR}/third_party/include)
  file(MAKE_DIRECTORY ${json_include})
  file(CREATE_LINK ${VORNUP_JSON_HEADERS}/nlohmann ${json_include}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${json_include})
else()
  find_package(nlohmann_json 3.9 REQUIRED)
endif()
