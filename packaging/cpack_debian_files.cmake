# CPack runs this after installing into its staging folder and before it makes
# the package: Debian's changelog joins the copyright file in the package's
# doc folder (a plain `cmake --install` has no use for it).
set(doc_dir "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_GM_DOC_DIR}")
if(NOT EXISTS "${doc_dir}/copyright")
  message(FATAL_ERROR "${doc_dir}: the staged doc folder has no copyright file")
endif()
file(COPY "${CPACK_GM_DEBIAN_CHANGELOG}" DESTINATION "${doc_dir}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
