# zstd's decoder for the Windows builds, compiled from Debian's own source
# package of libzstd (mingw-w64 has no zstd of Debian's), linked statically
# into the .exe. scripts/deps.sh unpacks the source into the folder below; the
# build only reads it. Only the decompression sources: no compressor, no
# threads, no legacy formats, no assembly (the C decoder is the same on both
# targets).
set(TAVRO_ZSTD_SOURCE /usr/local/src/tavro-third-party/libzstd
    CACHE PATH "The unpacked source of Debian's libzstd (scripts/deps.sh puts it there)")
set(zstd_lib ${TAVRO_ZSTD_SOURCE}/lib)
if(NOT EXISTS ${zstd_lib}/decompress/zstd_decompress.c)
  message(FATAL_ERROR "No zstd source in ${TAVRO_ZSTD_SOURCE}: run scripts/deps.sh first")
endif()
add_library(tavro_zstd STATIC
  ${zstd_lib}/common/debug.c
  ${zstd_lib}/common/entropy_common.c
  ${zstd_lib}/common/error_private.c
  ${zstd_lib}/common/fse_decompress.c
  ${zstd_lib}/common/xxhash.c
  ${zstd_lib}/common/zstd_common.c
  ${zstd_lib}/decompress/huf_decompress.c
  ${zstd_lib}/decompress/zstd_ddict.c
  ${zstd_lib}/decompress/zstd_decompress.c
  ${zstd_lib}/decompress/zstd_decompress_block.c
)
target_compile_definitions(tavro_zstd PRIVATE ZSTD_DISABLE_ASM ZSTD_LEGACY_SUPPORT=0 ZSTD_TRACE=0
                                              DEBUGLEVEL=0)
target_include_directories(tavro_zstd SYSTEM PUBLIC ${zstd_lib})
