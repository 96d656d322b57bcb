# What `cmake --install` puts in place: the program, its synthesiser helper and the files that
# make it a desktop application. Tests, benchmarks and tools have no install rules.
install(TARGETS parlora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS parlora-synth RUNTIME DESTINATION ${PARLORA_HELPER_DESTINATION})

set(desktop ${CMAKE_SOURCE_DIR}/resources/desktop)
install(FILES ${desktop}/${PARLORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/${PARLORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${desktop}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
# Debian keeps a package's licence under share/doc/<package>.
install(FILES ${desktop}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/parlora)
