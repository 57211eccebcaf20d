# zolt_import_libraries(target def): after each link of the DLL `target`,
# makes its two import libraries from `def` (decorated __stdcall names, each
# imported under the DLL's plain name):
#   lib<target>.dll.a  the mingw import library, in place of the linker's
#                      own (which knows only the plain names, so a caller
#                      that asks for _ZoltResult@16 would not find it);
#   <target>.lib       the MSVC-format import library (short import
#                      members, made by llvm-dlltool), beside it.
find_program(ZOLT_MINGW_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
find_program(ZOLT_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)

function(zolt_import_libraries target def)
  get_target_property(dll_name ${target} OUTPUT_NAME)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ZOLT_MINGW_DLLTOOL} -k -d ${def} -D ${dll_name}.dll
      -l $<TARGET_LINKER_FILE:${target}>
    COMMAND ${ZOLT_LLVM_DLLTOOL} -k -m i386 -d ${def}
      -l $<TARGET_LINKER_FILE_DIR:${target}>/${dll_name}.lib
    COMMENT "Import libraries of ${dll_name}.dll"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def})
endfunction()
