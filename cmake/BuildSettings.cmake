# The build-time settings of the program, in one generated header (BuildSettings.h) for every target
# that reads one.
set(DOVRA_LOOKUP_HOST "127.0.0.1" CACHE STRING "IPv4 address of the manual card lookup server")
set(DOVRA_LOOKUP_PORT 15025 CACHE STRING "Port of the manual card lookup server")
set(DOVRA_PORTAL_HOST "portal.example.com" CACHE STRING "Host name of the card programme's web portal")
if(DOVRA_DEMO)
    set(DOVRA_DEMO_CXX true)
else()
    set(DOVRA_DEMO_CXX false)
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/BuildSettings.h.in ${PROJECT_BINARY_DIR}/generated/BuildSettings.h @ONLY)
add_library(build_settings INTERFACE)
target_include_directories(build_settings INTERFACE ${PROJECT_BINARY_DIR}/generated)
