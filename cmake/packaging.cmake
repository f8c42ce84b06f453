# What `cmake --install` puts where, and the release archive cpack makes.
#
# Linux: the usual prefix layout (lib/, include/, bin/quillon-rig,
# share/quillon-fm/scenarios, share/doc/QuillonFM), and what `quillon-rig
# verify` flies and compares with: lib/quillon-fm/check_vehicles and
# share/quillon-fm/check-cases. The installed rig looks for them at these
# fixed places under its prefix (rig/host/model_api.cpp). Windows: a flat folder,
# QuillonFM.dll beside CockpitBase.dll (the stand-in, for the user's own test
# hosts), the headers in include/, the README and the installation note.
include(GNUInstallDirs)

set(QFM_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/quillon_fm.h)
if(EXISTS ${PROJECT_SOURCE_DIR}/include/quillon_fm_ids.h)
  list(APPEND QFM_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/quillon_fm_ids.h)
endif()

if(WIN32)
  install(TARGETS QuillonFM CockpitBase RUNTIME DESTINATION . LIBRARY DESTINATION .)
  install(FILES ${QFM_PUBLIC_HEADERS} ${PROJECT_SOURCE_DIR}/standin/cockpit_standin.h
          DESTINATION include)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/INSTALL-windows.txt
          DESTINATION .)
else()
  install(TARGETS QuillonFM CockpitBase
          LIBRARY DESTINATION lib  # where an installed quillon-rig looks
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${QFM_PUBLIC_HEADERS} ${PROJECT_SOURCE_DIR}/standin/cockpit_standin.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quillon-fm)
  if(TARGET quillon-rig)
    install(TARGETS quillon-rig RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/rig/scenarios/
            DESTINATION share/quillon-fm/scenarios)
    install(TARGETS check_brick check_damped_brick check_sphere check_f16
            LIBRARY DESTINATION lib/quillon-fm/check_vehicles)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/tests/data/nasa-check-cases
                      ${PROJECT_SOURCE_DIR}/tests/data/us1976
            DESTINATION share/quillon-fm/check-cases)
    install(FILES ${PROJECT_SOURCE_DIR}/tests/data/README.md
            DESTINATION share/quillon-fm/check-cases)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME QuillonFM)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR QuillonFM)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "External flight model of a single-engine jet")
set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME QuillonFM-${PROJECT_VERSION}-win64)
else()
  set(CPACK_PACKAGE_FILE_NAME QuillonFM-${PROJECT_VERSION}-linux-x86_64)
endif()
include(CPack)
