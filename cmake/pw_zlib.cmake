# zlib, the only compression library. The Windows builds compile it from Debian's zlib
# source package (the same 1.2.13 as libz-mingw-w64-dev), which scripts/install-deps.sh
# unpacks into PW_ZLIB_SOURCE, with -O2 -DUNALIGNED_OK: Deflate runs clearly faster than
# with Debian's mingw library (bench/run_bench.sh shows both). Without that source, and
# in the native build, the system's zlib is used.
set(PW_ZLIB_SOURCE "${CMAKE_SOURCE_DIR}/build/zlib-src" CACHE PATH "Unpacked zlib source package for the Windows builds")

if(WIN32 AND EXISTS "${PW_ZLIB_SOURCE}/deflate.c" AND EXISTS "${PW_ZLIB_SOURCE}/zlib.h")
  set(PW_ZLIB_FILES adler32.c compress.c crc32.c deflate.c infback.c inffast.c inflate.c inftrees.c
      trees.c uncompr.c zutil.c)
  list(TRANSFORM PW_ZLIB_FILES PREPEND "${PW_ZLIB_SOURCE}/")
  add_library(pw_zlib STATIC ${PW_ZLIB_FILES})
  target_include_directories(pw_zlib SYSTEM PUBLIC "${PW_ZLIB_SOURCE}")
  target_compile_definitions(pw_zlib PRIVATE UNALIGNED_OK)
  # zlib's own code, not ours: its warnings are not ours to mend.
  target_compile_options(pw_zlib PRIVATE -O2 -w)
  add_library(ZLIB::ZLIB ALIAS pw_zlib)
  message(STATUS "zlib: built from ${PW_ZLIB_SOURCE}")
else()
  find_package(ZLIB REQUIRED)
  message(STATUS "zlib: the system's (${ZLIB_LIBRARIES})")
endif()
