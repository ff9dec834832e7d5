# libgcrypt and zlib as one target, for the cipher library and the tests that seal records themselves.
# On Windows they are linked in from their static archives, so TSeed.dll needs nothing beside it but
# the system's own libraries.
add_library(dovra_crypto INTERFACE)
if(WIN32)
    find_library(DOVRA_GCRYPT_A NAMES libgcrypt.a REQUIRED)
    find_library(DOVRA_GPG_ERROR_A NAMES libgpg-error.a REQUIRED)
    find_library(DOVRA_Z_A NAMES libz.a REQUIRED)
    find_path(DOVRA_GCRYPT_INCLUDE gcrypt.h REQUIRED)
    target_include_directories(dovra_crypto INTERFACE ${DOVRA_GCRYPT_INCLUDE})
    target_link_libraries(dovra_crypto INTERFACE ${DOVRA_GCRYPT_A} ${DOVRA_GPG_ERROR_A} ${DOVRA_Z_A} ws2_32)
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(GCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
    find_package(ZLIB REQUIRED)
    target_link_libraries(dovra_crypto INTERFACE PkgConfig::GCRYPT ZLIB::ZLIB)
endif()
