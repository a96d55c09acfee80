# Run by CPack on the staged files just before it builds the .deb: Debian
# wants manual pages and the changelog compressed (gzip -9n, so the package
# is the same from one build to the next), and every package to have a
# changelog.
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
file(GLOB_RECURSE pages "${staged}/*.1")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(doc "${staged}/usr/share/doc/uhigh-bench")
file(WRITE "${doc}/changelog"
     "uhigh-bench (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * Packaged from the project's own build (cpack -G DEB).\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  Wed, 09 Dec 2026 00:00:00 +0000\n")
execute_process(COMMAND gzip -9nf "${doc}/changelog" COMMAND_ERROR_IS_FATAL ANY)
