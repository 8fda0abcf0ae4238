# Debian package of Varnelle: `cpack -G DEB` in the build folder turns what
# `cmake --install` puts in place into varnelle_<version>_<arch>.deb.
#
# Besides the programs, the desktop entry and the icon, a Debian package
# carries its copyright file, its changelog and a manual page for each
# program; they are written in packaging/ and compressed here at build time.

set(_varnelle_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(_varnelle_packaging_out ${PROJECT_BINARY_DIR}/packaging)
set(_varnelle_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/varnelle)

# The package's version is the project's, the one users see, so the
# changelog's newest entry must name it too: a package whose changelog stops at
# an older version is refused here rather than built.
file(STRINGS ${_varnelle_packaging_dir}/changelog _varnelle_changelog_head LIMIT_COUNT 1)
if(NOT _varnelle_changelog_head MATCHES "^varnelle \\(([^)]*)\\) ")
    message(FATAL_ERROR "packaging/changelog: the first line is not a Debian changelog entry's "
                        "heading \"varnelle (VERSION) ...\": ${_varnelle_changelog_head}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/changelog starts with version ${CMAKE_MATCH_1}, the project is "
                        "version ${PROJECT_VERSION} (CMakeLists.txt): add an entry for it at the top")
endif()

# gzip -9n: best compression and no time stamp, so that two builds of the same
# sources give the same package.
find_program(VARNELLE_GZIP gzip REQUIRED)
set(_varnelle_gzipped_files)
function(_varnelle_gzip_for_package source gzipped)
    set(copy ${_varnelle_packaging_out}/${gzipped})
    string(REGEX REPLACE "\\.gz$" "" copy ${copy})
    add_custom_command(
        OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${VARNELLE_GZIP} -9nf ${copy}
        DEPENDS ${source}
        COMMENT "Compressing ${gzipped} for the package"
        VERBATIM)
    set(_varnelle_gzipped_files ${_varnelle_gzipped_files} ${copy}.gz PARENT_SCOPE)
endfunction()

# A version without a Debian revision makes a native package, whose changelog
# is changelog.gz (changelog.Debian.gz is for packages of upstream sources).
_varnelle_gzip_for_package(${_varnelle_packaging_dir}/changelog changelog.gz)

# The manual pages name the version in their .TH line: each page is written
# with it into the build folder (packaging/configured/), and that copy goes
# into the package.
function(_varnelle_manual_page_for_package page)
    set(configured ${_varnelle_packaging_out}/configured/${page})
    configure_file(${_varnelle_packaging_dir}/${page} ${configured} @ONLY)
    _varnelle_gzip_for_package(${configured} ${page}.gz)
    set(_varnelle_gzipped_files ${_varnelle_gzipped_files} PARENT_SCOPE)
endfunction()
_varnelle_manual_page_for_package(varnelle.1)
if(TARGET varnelle-bareme)
    _varnelle_manual_page_for_package(varnelle-bareme.1)
endif()
add_custom_target(varnelle_package_files ALL DEPENDS ${_varnelle_gzipped_files})

install(FILES ${_varnelle_packaging_dir}/copyright ${_varnelle_packaging_out}/changelog.gz
        DESTINATION ${_varnelle_doc_dir})
install(FILES ${_varnelle_packaging_out}/varnelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET varnelle-bareme)
    install(FILES ${_varnelle_packaging_out}/varnelle-bareme.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# CPack strips the programs with a bare `strip`, which keeps the compiler's
# .comment and .note sections; Debian packages drop them as dh_strip does.
foreach(_varnelle_program varnelle varnelle-bareme)
    if(TARGET ${_varnelle_program})
        install(CODE "
            if(CMAKE_INSTALL_DO_STRIP)
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${_varnelle_program}>\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endif()")
    endif()
endforeach()

# Full RELRO, as Debian's hardening=+all build flags give: every symbol is
# bound at start-up, so the table of their addresses can be made read-only
# before the program reads any input. The dynamic loader's time at start-up,
# about a millisecond, does not change measurably.
if(CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF")
    foreach(_varnelle_program varnelle varnelle-bareme)
        if(TARGET ${_varnelle_program})
            target_link_options(${_varnelle_program} PRIVATE "LINKER:-z,relro,-z,now")
        endif()
    endforeach()
endif()

# French words that lintian's English spelling check takes for typos, each
# override with the reason beside it; lintian reads the file from the package.
install(FILES ${_varnelle_packaging_dir}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varnelle)

# What the package is, in the users' language: a summary line, then the
# long description (its lines stay short for package managers).
file(READ ${_varnelle_packaging_dir}/description.txt _varnelle_description)
if(TARGET varnelle-bareme)
    file(READ ${_varnelle_packaging_dir}/description-bareme.txt _varnelle_bareme_description)
    string(APPEND _varnelle_description "${_varnelle_bareme_description}")
endif()

set(CPACK_PACKAGE_NAME varnelle)
set(CPACK_PACKAGE_VENDOR "Équipe Varnelle")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Équipe Varnelle <equipe@varnelle.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "litres de fioul contenus dans une cuve horizontale")
set(CPACK_PACKAGE_DESCRIPTION "${_varnelle_description}")
set(CPACK_RESOURCE_FILE_LICENSE ${_varnelle_packaging_dir}/copyright)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME varnelle)
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 libraries the programs link, as dpkg-shlibdeps reads them from the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Control files owned by root with the modes dpkg expects.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    message(STATUS "Varnelle package: no CMAKE_BUILD_TYPE, the .deb will hold unoptimised "
                   "programs; configure with -DCMAKE_BUILD_TYPE=Release to package them")
endif()

# `cpack --config CPackSourceConfig.cmake` archives the sources, not the build folders.
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "\\.swp$")

include(CPack)
