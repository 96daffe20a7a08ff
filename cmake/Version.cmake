# The product's identity in one place: the version resources of the
# deliverables and the installer packages take it from here.
set(ZKV_PRODUCT_NAME "ZKV IIDC Camera Support")
set(ZKV_MANUFACTURER "ZKV")

# The installer's view of it, for scripts/package.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Product.wxi.in ${CMAKE_BINARY_DIR}/Product.wxi @ONLY)

# zkv_version_resource(<target> <file type: VFT_APP or VFT_DLL> <description>)
# Gives a Windows target a VERSIONINFO resource with the product version.
function(zkv_version_resource target file_type description)
  set(ZKV_FILE_TYPE ${file_type})
  set(ZKV_FILE_DESCRIPTION ${description})
  set(ZKV_ORIGINAL_FILENAME $<TARGET_FILE_NAME:${target}>)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc}.in @ONLY)
  file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
  target_sources(${target} PRIVATE ${rc})
endfunction()
