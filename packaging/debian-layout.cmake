# Run by CPack on the staged files just before it builds the .debs: Debian
# wants manual pages and changelogs compressed (gzip -9n, so a package is
# the same from one build to the next), and every package to have a
# changelog in its doc directory. With one package per component, each
# component is staged in a directory of its own.
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
# Manual pages only: a shared library's SONAME link (libuhigh.so.1) also
# ends in .1 and must stay as it is.
file(GLOB_RECURSE pages "${staged}/*.1")
list(FILTER pages INCLUDE REGEX "/share/man/man[0-9]/[^/]+$")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(GLOB docs LIST_DIRECTORIES true "${staged}/usr/share/doc/*" "${staged}/*/usr/share/doc/*")
foreach(doc IN LISTS docs)
  get_filename_component(package "${doc}" NAME)
  file(WRITE "${doc}/changelog"
       "${package} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
       "  * Packaged from the project's own build (cpack -G DEB).\n\n"
       " -- ${CPACK_PACKAGE_CONTACT}  Wed, 09 Dec 2026 00:00:00 +0000\n")
  execute_process(COMMAND gzip -9nf "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
