# pagix_payload_resource(OUT_VAR)
# Makes the installer's payload in the calling folder's build (win32 only) and sets OUT_VAR to the
# resource script that embeds it. The host tool payload-rc stages every item of the install
# manifest, found among the two programs and the checked-in files of product/files: LZHUF items
# packed by lzhuf-pack, stored items copied, the checksum record written by payload-rc itself. The
# item files are numbered (<id>.item), so names with spaces never reach windres. A target pagix_payload stands
# for the whole payload; the staged product tree (build/payload/tree) is what the tests install.
include_guard(GLOBAL)

function(pagix_payload_resource out_var)
  set(tools "${PAGIX_HOST_TOOLS_DIR}")
  set(stage "${CMAKE_BINARY_DIR}/payload")
  file(GLOB_RECURSE kept CONFIGURE_DEPENDS "${PAGIX_ROOT}/product/files/*")

  add_custom_command(
    OUTPUT "${stage}/payload.rc"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${stage}/items" "${stage}/tree"
    COMMAND "${tools}/payload-rc" --packer "${tools}/lzhuf-pack"
            --items "${stage}/items" --tree "${stage}/tree" --rc "${stage}/payload.rc"
            "$<TARGET_FILE_DIR:pagix_program>" "${PAGIX_ROOT}/product/files"
    DEPENDS "${tools}/payload-rc" "${tools}/lzhuf-pack" ${kept}
            pagix_program pagix_uninstaller
    COMMENT "Packing the installer's payload from the install manifest"
    VERBATIM)
  add_custom_target(pagix_payload DEPENDS "${stage}/payload.rc")
  set(${out_var} "${stage}/payload.rc" PARENT_SCOPE)
endfunction()
