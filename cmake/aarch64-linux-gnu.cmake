# Cross-builds for 64-bit ARM (Debian's arm64) on a Debian machine of another
# architecture, with Debian's cross compilers (crossbuild-essential-arm64) and
# the arm64 builds of the libraries installed beside the machine's own through
# multiarch (qt6-base-dev:arm64, libzip-dev:arm64, ...): their files are in
# /usr/lib/aarch64-linux-gnu, their headers in /usr/include. Qt's code
# generators (moc, rcc, uic) must run here, so they are the machine's own.
#
#   cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake
#
# scripts/package.sh --arch arm64 installs all of it and builds the package.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Libraries, headers and CMake packages only from the arm64 side (under /usr,
# in the aarch64-linux-gnu folders), programs only from the machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the arm64 libraries' .pc files, not the machine's.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# Qt finds its host tools through the machine's own Qt installation.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE _veltrace_build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
set(QT_HOST_PATH /usr CACHE PATH "Prefix of the Qt that runs on the build machine")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_veltrace_build_multiarch}/cmake
    CACHE PATH "CMake packages of the Qt that runs on the build machine")
